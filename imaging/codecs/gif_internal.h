// File: imaging/codecs/gif_internal.h
//
// Private entry points of the GIF codec (giflib), shared by gif_codec.cpp,
// gif_reader.cpp and gif_writer.cpp.
//
//   FileInfo info;
//   Result r = GifReadInfo(data, size, 0, &info);   // info.image_count = frames
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <vector>

#include "imaging/codecs/codec.h"

namespace imaging::codecs::internal {

// Reads the logical screen and counts the pictures; kBadFile for data that
// is not GIF, kBroken for a truncated file, kBadValue for a missing index.
Result GifReadInfo(const uint8_t* data, size_t size, int index, FileInfo* info);
// Pictures first .. first + max - 1 (those the file has) described from one
// walk over the file, each as GifReadInfo() describes it.
Result GifReadPages(const uint8_t* data, size_t size, int first, int max, std::vector<FileInfo>* pages);

// Decodes picture `options.image_index` onto the logical screen (1, 4 or
// 8 bpp by colour-table size), with transparency and comment.
Result GifLoad(const uint8_t* data, size_t size, const LoadOptions& options, Image* out);

// Writes a 1/4/8-bit picture as is; deeper pictures are quantised first.
Result GifSave(const Image& image, const std::string& path, const SaveOptions& options);

}  // namespace imaging::codecs::internal
