// The fake catalogue server of the client tests, built into this test
// program too: the login and session tests talk to it over loopback.
#include "client/fake_peer.cc"  // NOLINT(bugprone-suspicious-include)
