// talor-server: the reference catalogue database server.
//
//   talor-server [serve] [--data DIR] [--address A] [--port N]
//                [--gateway-port N] [--threads N] [--request-timeout SECONDS]
//   talor-server init --data DIR --from SOURCE
//   talor-server reindex --data DIR
//   talor-server user add|passwd|set|remove|list ... --data DIR

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "app/exit_codes.h"
#include "app/server_users.h"
#include "server/catalogue_loader.h"
#include "server/engine_formatter.h"
#include "server/storage.h"
#include "server/tcp_server.h"

namespace talor::server {
namespace {

constexpr std::string_view kDefaultDataDir = "talor-data";
constexpr uint16_t kMaxRequestTimeoutSeconds = 3600;

struct Arguments {
  std::string command = "serve";
  std::string data{kDefaultDataDir};
  std::string from;
  ServerOptions server;
  bool ok = true;
};

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "Использование:\n"
               "  talor-server [serve] [--data ПАПКА] [--address АДРЕС] [--port ПОРТ]\n"
               "               [--gateway-port ПОРТ] [--threads N] [--request-timeout СЕКУНДЫ]\n"
               "  talor-server init --data ПАПКА --from ИСХОДНЫЙ_КАТАЛОГ\n"
               "  talor-server reindex --data ПАПКА\n"
               "%s"
               "По умолчанию: адрес 127.0.0.1, порт 6666, папка данных %s;\n"
               "шлюз HTTP (POST /cgi-bin/wwwtalor.exe) включается параметром --gateway-port.\n"
               "--threads: число потоков, выполняющих запросы (по умолчанию %d).\n"
               "--request-timeout: срок в секундах на приём запроса и передачу ответа\n"
               "вместе (по умолчанию %d); соединение, не уложившееся в срок, закрывается.\n"
               "Пароль для user add и user passwd вводится с терминала без отображения\n"
               "или читается строкой со стандартного ввода.\n",
               kUserCommandUsage, std::string(kDefaultDataDir).c_str(), DefaultWorkerThreads(),
               static_cast<int>(kDefaultRequestTimeout.count()));
}

std::optional<uint16_t> PortValue(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value > 65535) return std::nullopt;
  return static_cast<uint16_t>(value);
}

Arguments Parse(int argc, char** argv) {
  Arguments args;
  int i = 1;
  if (i < argc && argv[i][0] != '-') args.command = argv[i++];
  for (; i < argc; ++i) {
    std::string_view name = argv[i];
    if (name == "--help" || name == "-h") {
      args.command = "help";
      break;
    }
    if (i + 1 >= argc) {
      args.ok = false;
      break;
    }
    std::string_view value = argv[++i];
    if (name == "--data") {
      args.data = value;
    } else if (name == "--from") {
      args.from = value;
    } else if (name == "--address") {
      args.server.address = value;
    } else if (name == "--port" || name == "--gateway-port") {
      std::optional<uint16_t> port = PortValue(value);
      if (!port) {
        args.ok = false;
      } else if (name == "--port") {
        args.server.port = *port;
      } else {
        args.server.gateway = true;
        args.server.gatewayPort = *port;
      }
    } else if (name == "--threads") {
      std::optional<uint16_t> threads = PortValue(value);
      if (!threads || *threads == 0 || *threads > 1024)
        args.ok = false;
      else
        args.server.threads = *threads;
    } else if (name == "--request-timeout") {
      std::optional<uint16_t> seconds = PortValue(value);
      if (!seconds || *seconds == 0 || *seconds > kMaxRequestTimeoutSeconds)
        args.ok = false;
      else
        args.server.requestTimeout = std::chrono::seconds(*seconds);
    } else {
      args.ok = false;
    }
  }
  return args;
}

int Serve(const Arguments& args) {
  std::filesystem::path dataDir(args.data);
  std::unique_ptr<Storage> storage;
  if (Status status = Storage::Open((dataDir / kStorageFileName).string(), &storage);
      !status.ok()) {
    std::fprintf(stderr, "Не удалось открыть хранилище в %s: %s\n", args.data.c_str(),
                 status.message().c_str());
    return kExitFailed;
  }
  if (storage->convertedUsers() > 0)
    std::fprintf(stderr, "talor-server: пароли пользователей (%d) заменены хэшами\n",
                 storage->convertedUsers());
  EngineFormatter formatter(CatalogueFiles(dataDir), storage.get());
  Service service(*storage, CatalogueFiles(dataDir), formatter, ServiceOptions{});
  LoadReport rebuilt = RebuildStaleIndexes(*storage, service);
  if (!rebuilt.ok) {
    std::fprintf(stderr, "%s\n", rebuilt.message.c_str());
    return kExitFailed;
  }
  if (rebuilt.databases > 0)
    std::fprintf(stderr,
                 "talor-server: словари перестроены по записям после обновления "
                 "хранилища (%s)\n",
                 rebuilt.message.c_str());
  TcpServer server(service, args.server);
  if (Status started = server.Start(); !started.ok()) {
    std::fprintf(stderr, "%s\n", started.message().c_str());
    return kExitFailed;
  }
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  std::printf("talor-server: %s:%u", args.server.address.c_str(), server.port());
  if (args.server.gateway) std::printf(", шлюз HTTP: %u", server.gatewayPort());
  std::printf(", данные: %s\n", args.data.c_str());
  std::fflush(stdout);
  int received = 0;
  sigwait(&signals, &received);
  server.Stop();
  return kExitOk;
}

int Run(int argc, char** argv) {
  if (argc > 1 && std::string_view(argv[1]) == "user")
    return RunUserCommand(argc - 2, argv + 2, kDefaultDataDir);
  Arguments args = Parse(argc, argv);
  if (!args.ok || args.command == "help" || args.command == "--help") {
    PrintUsage(args.ok ? stdout : stderr);
    return args.ok ? kExitOk : kExitUsage;
  }
  EngineFormatter formatter{CatalogueFiles(args.data)};
  if (args.command == "init") {
    if (args.from.empty()) {
      PrintUsage(stderr);
      return kExitUsage;
    }
    LoadReport report = InitDataDirectory(args.data, args.from, formatter);
    std::fprintf(report.ok ? stdout : stderr, "%s\n", report.message.c_str());
    return report.ok ? kExitOk : kExitFailed;
  }
  if (args.command == "reindex") {
    LoadReport report = ReindexDataDirectory(args.data, formatter);
    std::fprintf(report.ok ? stdout : stderr, "%s\n", report.message.c_str());
    return report.ok ? kExitOk : kExitFailed;
  }
  if (args.command == "serve") return Serve(args);
  PrintUsage(stderr);
  return kExitUsage;
}

}  // namespace
}  // namespace talor::server

int main(int argc, char** argv) {
  // Blocked before any thread starts, so that every worker inherits the
  // mask and the main thread alone takes the signal in sigwait.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  return talor::server::Run(argc, argv);
}
