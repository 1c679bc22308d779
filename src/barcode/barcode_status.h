// The result of a barcode operation: success, or the error message that the
// component raises (the texts are the component's own and are shown as they
// are).

#ifndef TALOR_BARCODE_BARCODE_STATUS_H_
#define TALOR_BARCODE_BARCODE_STATUS_H_

#include <string>
#include <utility>

namespace talor {

class BarcodeStatus {
 public:
  static BarcodeStatus Ok() { return BarcodeStatus(); }
  static BarcodeStatus Error(std::string message) { return BarcodeStatus(std::move(message)); }

  bool ok() const { return !failed_; }
  // Empty for a success.
  const std::string& message() const { return message_; }

 private:
  BarcodeStatus() = default;
  explicit BarcodeStatus(std::string message) : failed_(true), message_(std::move(message)) {}

  bool failed_ = false;
  std::string message_;
};

}  // namespace talor

#endif  // TALOR_BARCODE_BARCODE_STATUS_H_
