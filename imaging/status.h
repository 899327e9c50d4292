// File: imaging/status.h
//
// Status codes and result values of the imaging engine.
//
// Every engine call returns a `Result` (or `ResultOr<T>`): a status code plus
// a short English message set where the failure happened.  The numbers are
// the imaging control's `ErrorCode` values, so the control can pass them on
// unchanged.
//
//   imaging::Image img;
//   if (imaging::Result r = imaging::codecs::Load(path, {}, &img); !r.ok())
//     return r;  // r.code() == Status::kBroken for a truncated file, ...
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace imaging {

enum class Status : int16_t {
  kOk = 0,
  kOther = 2,           // any failure without a code of its own
  kMemory = 3,          // allocation failed or would exceed the engine's bounds
  kUnsupported = 4,     // feature, format variant or depth not supported
  kBadValue = 5,        // an argument is out of range
  kBadFile = 6,         // the file is not a picture of a known format
  kBadImage = 7,        // the picture (handle, depth, size) is unusable
  kScannerLoad = 8,     // the scanner library cannot be loaded
  kDraw = 9,            // painting failed
  kNotTarget = 10,      // the operation does not apply to this picture
  kSequence = 11,       // calls made in the wrong order
  kNoPaperInFeeder = 12,
  kNoImageInCamera = 13,
  kLibraryNotLoaded = 14,
  kCommunication = 15,
  kNotFound = 16,       // file not found
  kBroken = 17,         // file truncated or corrupted
  kTimeout = 18,
  kAccessDenied = 19,
  kCannotOpen = 20,
  kCannotCreate = 21,
  kCannotWrite = 22,
  kCannotRead = 23,
  kNoDisplayImage = 24,
  kScannerEntryMissing = 101,
  kScannerNotOpen = 102,
  kNoScannerSource = 103,
  kScannerBusy = 104,
  kScannerFailure = 105,
  kScannerBadRequest = 106,
  kScannerPower = 107,
  kPaperJam = 108,
  kDoubleFeed = 109,
  kBadResolution = 110,
};

// Result: a status code and, on failure, a message for developers.
class [[nodiscard]] Result {
 public:
  Result() = default;
  Result(Status code, std::string message = {}) : code_(code), message_(std::move(message)) {}

  static Result Ok() { return Result(); }

  bool ok() const { return code_ == Status::kOk; }
  Status code() const { return code_; }
  int16_t number() const { return static_cast<int16_t>(code_); }
  const std::string& message() const { return message_; }

 private:
  Status code_ = Status::kOk;
  std::string message_;
};

// ResultOr<T>: either a value or the reason there is none.
template <typename T>
class [[nodiscard]] ResultOr {
 public:
  ResultOr(T value) : value_(std::move(value)) {}  // NOLINT: implicit by design
  ResultOr(Result failure) : result_(std::move(failure)) {
    if (result_.ok()) result_ = Result(Status::kOther, "ResultOr built from an ok Result");
  }

  bool ok() const { return result_.ok(); }
  const Result& result() const { return result_; }
  Status code() const { return result_.code(); }

  T& value() & { return value_; }
  const T& value() const& { return value_; }
  T&& value() && { return std::move(value_); }
  T* operator->() { return &value_; }
  const T* operator->() const { return &value_; }
  T& operator*() { return value_; }
  const T& operator*() const { return value_; }

 private:
  Result result_;
  T value_{};
};

}  // namespace imaging
