// Placeholder dispatcher until the codecs land: every call reports unsupported.
#include "imaging/codecs/codec.h"

namespace imaging::codecs {

FileFormat DetectFormat(const uint8_t*, size_t) { return FileFormat::kUnknown; }
Result ReadInfo(const std::string&, int, FileInfo*) { return Result(Status::kUnsupported); }
Result Load(const std::string&, const LoadOptions&, Image*) { return Result(Status::kUnsupported); }
Result LoadMemory(const uint8_t*, size_t, const LoadOptions&, Image*) { return Result(Status::kUnsupported); }
Result Save(const Image&, const std::string&, const SaveOptions&) { return Result(Status::kUnsupported); }
FileFormat FormatOfSaveType(SaveType) { return FileFormat::kUnknown; }
Result ExifThumbnail(const std::string&, Image*) { return Result(Status::kUnsupported); }

}  // namespace imaging::codecs
