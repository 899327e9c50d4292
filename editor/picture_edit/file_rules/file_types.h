// File: editor/picture_edit/file_rules/file_types.h
//
// What a picture file's extension means to the editing control: the type
// code a save is written with, whether the file opens as a vector picture,
// whether a dropped file is taken, and which colour depths the format can
// hold.  Extensions are compared without regard to case; paths use "/".
//
//   int type = FileTypeCode(ExtensionOf("/p/a.JPG"));        // 2
//   if (auto to = SaveDepthConversion("gif", 24)) Convert(*to);  // 8
#pragma once

#include <QString>
#include <optional>

namespace ruvel::file_rules {

// Extensions offered to drops and the open route ("BMP;JPG;...;SFC").
inline constexpr const char kExtensionList[] =
    "BMP;JPG;TIF;PCX;FPX;PNG;GIF;JP2;JPC;J2K;WMF;EMF;DXF;SVG;SFC";
// Extensions opened through the vector viewer.
inline constexpr const char kVectorExtensions[] = "WMF;EMF;DXF";

// ExtensionOf(): the text after the last "." of the file name (the part
// after the last "/"), as written; "" when the name has no ".".  A dot in a
// folder name is not an extension.
QString ExtensionOf(const QString& path);
// WithoutExtension(): the path before that last "."; the whole path when the
// name has none.
QString WithoutExtension(const QString& path);

// FileTypeCode(): the save type code for an extension (any case): bmp 1,
// jpg/jpeg 2, gif 4, tif/tiff 5, png 12, fpx 13, pcx 16, jp2 21, j2k/jpc 22;
// 0 (the plain BMP work type) for anything else.
int FileTypeCode(const QString& extension);
// ExtensionForTypeCode(): the usual lower-case extension of a save type
// code ("bmp" for 0 and 1); "" for a code no save writes.
QString ExtensionForTypeCode(int type_code);

// IsVectorFile(): the path's extension is one of kVectorExtensions.
bool IsVectorFile(const QString& path);
// AcceptsDroppedFile(): the path's extension is a whole entry of the
// ";"-separated list.  A name without an extension is never taken.
bool AcceptsDroppedFile(const QString& path, const QString& extension_list);
// InExtensionList(): `extension` is a whole entry of the list (any case).
bool InExtensionList(const QString& extension, const QString& list);

// DepthCode of a picture: the bit count, times ten for 4 or 8 bits of grey.
int DepthCodeOf(int bit_count, bool is_gray);
// ParseDepthCode(): "24." or "24" -> 24; 0 for "" or anything else.
int ParseDepthCode(const QString& text);

// AcceptedDepthCodes(): the DepthCode list a format can hold, in the form
// ".80.24."; "" when the format takes every depth.
QString AcceptedDepthCodes(const QString& extension);
// SaveDepthConversion(): the ConvertDepth code (24, or 8 for gif) a picture
// of `depth_code` needs before it is saved with `extension`; nullopt when it
// can be saved as it is.
std::optional<int> SaveDepthConversion(const QString& extension, int depth_code);

// Extensions whose saves take the JPEG quality setting.
bool UsesJpegQuality(const QString& extension);

}  // namespace ruvel::file_rules
