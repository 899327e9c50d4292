// File: imaging/testing/fpx_storage.h
//
// What the FlashPix codec's tests share: a picture written by our own
// encoder, and libgsf's view of a written file's storages and streams
// (files from elsewhere are built with imaging/testing/fpx_files.h).
// Test-only.
//
//   Infile ole = OpenCompound(EncodeFpx(GradientPicture(64, 48, 24, 1)));
//   std::vector<uint8_t> contents = StreamBytes(ole.get(), kImageContentsName);
#pragma once

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-utils.h>
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "imaging/codecs/fpx_internal.h"
#include "imaging/image.h"

namespace imaging::testing {

// The pictures are GradientPicture()s: smooth with some noise, so that tiles
// differ and JPEG has work.
inline std::vector<uint8_t> EncodeFpx(const Image& img, codecs::SaveType type = codecs::SaveType::kFpx,
                                      int quality = 85) {
  codecs::SaveOptions so;
  so.type = type;
  so.jpeg_quality = quality;
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(codecs::internal::FpxEncode(img, so, &bytes).ok());
  return bytes;
}

struct Unref {
  void operator()(void* p) const { g_object_unref(p); }
};
using Infile = std::unique_ptr<GsfInfile, Unref>;
using Input = std::unique_ptr<GsfInput, Unref>;

inline Infile OpenCompound(const std::vector<uint8_t>& bytes) {
  gsf_init();
  Input in(gsf_input_memory_new(bytes.data(), gsf_off_t(bytes.size()), FALSE));
  return Infile(gsf_infile_msole_new(in.get(), nullptr));
}

inline std::set<std::string> ChildNames(GsfInfile* dir) {
  std::set<std::string> names;
  for (int i = 0; i < gsf_infile_num_children(dir); ++i) names.insert(gsf_infile_name_by_index(dir, i));
  return names;
}

inline std::vector<uint8_t> StreamBytes(GsfInfile* dir, const char* name) {
  Input s(gsf_infile_child_by_name(dir, name));
  if (!s) return {};
  std::vector<uint8_t> b(size_t(gsf_input_size(s.get())));
  if (!b.empty()) {
    EXPECT_NE(gsf_input_read(s.get(), b.size(), b.data()), nullptr);
  }
  return b;
}

}  // namespace imaging::testing
