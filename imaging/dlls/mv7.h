/* File: imaging/dlls/mv7.h
 *
 * The C interface of the imaging library family: libmv7com.so,
 * libmv7file.so, libmv7scan.so, libmv7print.so, libmv7effect.so,
 * libmv7vectcom.so and libmv7rastovect.so.  Plain C, usable from C and C++;
 * programs either link the libraries or bind the entries by name with
 * dlopen/dlsym (viewer_common/imaging_dlls does the latter).
 *
 *   MVHANDLE h = MVFileLoad("/pics/a.jpg", 0, 160, 160, 0, 0, 0, 0);
 *   if (h) {
 *     const MVBITMAPINFOHEADER* bi = (const MVBITMAPINFOHEADER*)MVGlobalLock(h);
 *     printf("%d x %d\n", bi->biWidth, bi->biHeight);
 *     MVGlobalUnlock(h);
 *     MVFreeMemory(h);
 *   }
 *
 * Conventions shared by every entry:
 *  - Text is UTF-8; paths are absolute Linux paths with "/" separators.  A
 *    path of MV_MAX_PATH (260) bytes or more is refused (the entry fails),
 *    never cut short.  Output buffers named "260 bytes" must hold
 *    MV_MAX_PATH bytes.
 *  - Image handles (MVHANDLE) are global-memory blocks holding a packed DIB:
 *    a 40-byte MVBITMAPINFOHEADER, the colour table (1/4/8 bpp), then the
 *    rows bottom-up, each padded to 4 bytes; 16 bpp is 5-5-5.  The memory
 *    table lives in libmv7com.so alone, so a handle made by any library of
 *    the family can be read and freed through any other.  Unknown or stale
 *    handles are refused, never dereferenced.
 *  - "Bitmaps" (MVBITMAP) stand in for device-dependent bitmaps: blocks of
 *    the same memory table holding an MVBITMAPHEADER and 32-bit B,G,R,X rows
 *    top-down.  Palettes (MVPALETTE) hold an MVPALETTEHEADER and RGBQUAD
 *    entries.  Free both with MVFreeMemory.
 *  - Drawing goes into a caller-provided 32-bit pixel buffer (MvSurface),
 *    laid out like QImage::Format_RGB32 (bytes B, G, R, X per pixel; every
 *    pixel the family writes, in surfaces and bitmaps, has X = 0xFF).
 *    Colours are MVCOLORREF 0x00BBGGRR.
 *  - Unless said otherwise an entry returns non-zero on success and 0 on
 *    failure; no entry lets an exception or a signal escape.
 *
 * Threads.  The memory table is guarded by one lock, and the entries below
 * keep no state between calls beyond it, so they may be called from several
 * threads at once, on different handles (one handle is used by one thread
 * at a time: a block locked on one thread and freed on another is the
 * caller's race):
 *   libmv7com:     MVGlobalAlloc, MVGlobalLock, MVGlobalUnlock, MVGlobalSize,
 *                  MVGlobalFree, MVGlobalCount, MVFreeMemory, MVGetImageType,
 *                  MVResize, SetImageSize, GetDibPalSize, MVBitmapFromDib,
 *                  MVDibFromBitmap, CreateBIPalette, MVGetBitmapSize;
 *   libmv7file:    MVFileType, MVFileTypePages(Dated, At), MVFileLoad, MVJpegExifInfo,
 *                  and the path entries (GetFileExt, GetPathFileExt, GetPathDir,
 *                  GetFullpathFilename, CutPagefromFilename,
 *                  GetPagefromFilename, IsSetDrive, SetTermYEN), the file
 *                  time entries and the DataFile and __hread/__hwrite file
 *                  entries (their descriptor table has its own lock);
 *   libmv7vectcom: MVVectorGdipStart, MVVectorGdipEnd;
 *   libmv7rastovect: MVVectorToRaster, while a vector session is open
 *                  (MVVectorGdipStart); drawings are painted into
 *                  pictures of their own.
 * The drawing entries (_StretchDIBits, _Box, _BoxFull,
 * TransparentMaskStretchBlt, CreateTransparentMaskBitmap) are safe on
 * different surfaces; the scanner, printer and effect entries are for one
 * thread only.
 */
#ifndef OSMUND_IMAGING_DLLS_MV7_H_
#define OSMUND_IMAGING_DLLS_MV7_H_

#include <stddef.h>
#include <stdint.h>

#ifdef MV7_BUILDING_LIBRARY
#define MV7_API __attribute__((visibility("default")))
#else
#define MV7_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---------------------------------------------------------------- types */

typedef uintptr_t MVHANDLE;   /* global-memory block (image handle); 0 = none */
typedef uintptr_t MVBITMAP;   /* device bitmap stand-in; 0 = none */
typedef uintptr_t MVPALETTE;  /* palette; 0 = none */
typedef uint32_t MVCOLORREF;  /* 0x00BBGGRR */

#define MV_MAX_PATH 260
#define MV_EXT_TABLE_ENTRIES 1000 /* entries GetPathFileExt fills at most */
#define MV_EXT_ENTRY_SIZE 64      /* bytes per extension table entry */
#define MV_DATE_TEXT_SIZE 16      /* date text buffer, NUL included */
#define MV_COLOR_AUTO 0xFFFFFFFFu /* CreateTransparentMaskBitmap: top-left pixel */

/* Format codes reported by MVFileType (MVFileInfo.format). */
#define MV_FORMAT_BMP 1
#define MV_FORMAT_JPEG 2       /* JPEG without an EXIF block */
#define MV_FORMAT_GIF 4
#define MV_FORMAT_TIFF 5
#define MV_FORMAT_PCX 10
#define MV_FORMAT_PNG 12
#define MV_FORMAT_FPX 16       /* 16..18: one picture at several resolutions */
#define MV_FORMAT_JP2 21
#define MV_FORMAT_J2K 22
#define MV_FORMAT_JPEG_EXIF 23 /* JPEG carrying an EXIF block */
#define MV_FORMAT_WMF 30
#define MV_FORMAT_EMF 31
#define MV_FORMAT_DXF 32
#define MV_FORMAT_SVG 33
#define MV_FORMAT_P21 34       /* SXF drawing, STEP physical file */
#define MV_FORMAT_SFC 35       /* SXF drawing, feature comment file */

/* Picture kinds (MVFileInfo.kind, MVImageType.kind). */
#define MV_KIND_RASTER 1 /* a packed DIB */
#define MV_KIND_VECTOR 2 /* a drawing: files, and the handles MVFileLoad makes of them */

/* MVFileInfo.flags */
#define MV_INFO_GRAY 0x1 /* grey picture */

/* MVImageType.sizing: how the picture is best brought to another size. */
#define MV_SIZING_RESAMPLE 0 /* direct colour: MVResize (area averaging) */
#define MV_SIZING_DIRECT 1   /* palette picture: SetImageSize keeps the palette */

/* Raster operations of the drawing entries. */
#define MV_SRCCOPY 0x00CC0020u
#define MV_SRCPAINT 0x00EE0086u /* dst | src */
#define MV_SRCAND 0x008800C6u   /* dst & src */

/* Kinds of date for GetFileDateTimeEx. */
#define MV_DATE_CREATION 0
#define MV_DATE_LAST_WRITE 1
#define MV_DATE_LAST_ACCESS 2

/* The 40-byte header a packed DIB starts with (little-endian). */
typedef struct MVBITMAPINFOHEADER {
  uint32_t biSize; /* 40 */
  int32_t biWidth;
  int32_t biHeight; /* > 0: rows bottom-up */
  uint16_t biPlanes;
  uint16_t biBitCount;
  uint32_t biCompression; /* 0 = uncompressed */
  uint32_t biSizeImage;
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
} MVBITMAPINFOHEADER;

/* What MVFileType reports (40 bytes). */
typedef struct MVFileInfo {
  int32_t width;        /* +0 */
  int32_t height;       /* +4 */
  int32_t bit_count;    /* +8: depth as MVFileLoad delivers it */
  int32_t x_dpi;        /* +12: 0 when the file gives none */
  int32_t y_dpi;        /* +16 */
  int32_t image_index;  /* +20: the picture asked for */
  int32_t flags;        /* +24: MV_INFO_* */
  int16_t format;       /* +28: MV_FORMAT_* */
  int16_t kind;         /* +30: MV_KIND_* */
  int16_t image_count;  /* +32: pictures in the file (at most 32767) */
  int16_t reserved0;    /* +34 */
  int32_t reserved1;    /* +36 */
} MVFileInfo;

/* What MVGetImageType reports of a handle (32 bytes). */
typedef struct MVImageType {
  int32_t sizing;     /* +0: MV_SIZING_* */
  int32_t kind;       /* +4: MV_KIND_RASTER, or MV_KIND_VECTOR for a drawing */
  int32_t width;      /* +8 */
  int32_t height;     /* +12 */
  int32_t bit_count;  /* +16 */
  int32_t colors;     /* +20: colour table entries */
  int32_t x_dpi;      /* +24 */
  int32_t y_dpi;      /* +28 */
} MVImageType;

/* What MVJpegExifInfo reports. */
typedef struct MVExifInfo {
  MVHANDLE thumbnail;     /* embedded thumbnail as a packed DIB, or 0; the caller frees it */
  int32_t thumb_width;    /* 0 without a thumbnail */
  int32_t thumb_height;
  int32_t width;          /* the main picture */
  int32_t height;
} MVExifInfo;

/* Header of a bitmap block (MVBITMAP); 32-bit rows follow, top-down. */
typedef struct MVBITMAPHEADER {
  uint32_t magic; /* MV_BITMAP_MAGIC */
  int32_t width;
  int32_t height;
  int32_t stride; /* width * 4 */
} MVBITMAPHEADER;
#define MV_BITMAP_MAGIC 0x4D42564Du /* "MVBM" */

/* Header of a palette block (MVPALETTE); `count` RGBQUAD entries follow. */
typedef struct MVPALETTEHEADER {
  uint32_t magic; /* MV_PALETTE_MAGIC */
  int32_t count;  /* 1..256 */
} MVPALETTEHEADER;
#define MV_PALETTE_MAGIC 0x4C50564Du /* "MVPL" */

/* A 32-bit drawing target: `height` rows of `stride` bytes, top-down, pixels
 * B, G, R, X.  Drawing is clipped to the buffer and, when clip_right >
 * clip_left and clip_bottom > clip_top, to that rectangle (right and bottom
 * exclusive). */
typedef struct MvSurface {
  uint8_t* pixels;
  int32_t width;
  int32_t height;
  int32_t stride;
  int32_t clip_left;
  int32_t clip_top;
  int32_t clip_right;
  int32_t clip_bottom;
} MvSurface;

/* ======================================================== libmv7com.so */

/* Global memory.  MVGlobalAlloc returns a zero-filled block of `bytes` (> 0)
 * or 0.  MVGlobalLock returns its memory (locks nest) or NULL for an unknown
 * handle; MVGlobalUnlock undoes one lock (0 when none is held).  MVGlobalSize
 * is the block's size, 0 for an unknown handle.  MVGlobalFree releases the
 * block: non-zero when freed, 0 for an unknown handle (freeing twice).
 * MVGlobalCount is the number of blocks alive in the table, every kind
 * (image handles, bitmaps, palettes) counted: programs compare it before and
 * after a piece of work to find handles nobody freed. */
MV7_API MVHANDLE MVGlobalAlloc(size_t bytes);
MV7_API void* MVGlobalLock(MVHANDLE handle);
MV7_API int32_t MVGlobalUnlock(MVHANDLE handle);
MV7_API size_t MVGlobalSize(MVHANDLE handle);
MV7_API int32_t MVGlobalFree(MVHANDLE handle);
MV7_API size_t MVGlobalCount(void);

/* MVFreeMemory() frees any handle of the family (image, bitmap, palette);
 * 0 and unknown handles are ignored. */
MV7_API void MVFreeMemory(MVHANDLE handle);

/* MVGetImageType() describes an image handle.  0 for an unknown handle or a
 * block that is neither a well-formed packed DIB nor a vector picture.  A
 * vector picture (MVFileLoad of a WMF, EMF, DXF, SVG or SXF file) reports
 * MV_KIND_VECTOR and the size MVVectorToRaster paints it at; the raster
 * entries (MVResize, SetImageSize, drawing, ...) refuse such handles. */
MV7_API int32_t MVGetImageType(MVHANDLE handle, MVImageType* info);

/* MVResize() makes a new picture of width x height (each 1..65500) from
 * pair[0]; pair[1] is reserved and must be 0.  mode 1 area-averages (palette
 * and 16-bit pictures become 24-bit, 32-bit stays 32-bit); mode 0 picks the
 * nearest pixel and keeps the depth.  The four reserved arguments are
 * ignored.  pair[0] is neither freed nor changed.  Returns the new handle,
 * or 0. */
MV7_API MVHANDLE MVResize(MVHANDLE* pair, int32_t width, int32_t height, int32_t mode, int32_t reserved1,
                          int32_t reserved2, int32_t reserved3, int32_t reserved4);

/* SetImageSize() brings a picture to width x height: palette pictures by
 * nearest pixel with their palette, direct colour by area averaging (bilinear
 * when enlarging).  It takes ownership of `handle`: the handle is freed in
 * every case, also on failure.  Returns the new handle, or 0. */
MV7_API MVHANDLE SetImageSize(MVHANDLE handle, int32_t width, int32_t height);

/* Conversions between image handles, bitmaps and palettes.
 * MVBitmapFromDib() makes a bitmap of the picture (palette argument
 * reserved, may be 0).  CreateBIPalette() makes a palette of the picture's
 * colour table; 0 for pictures without one.  MVDibFromBitmap() makes an
 * image handle of a bitmap: bit_count 24 (or 0) or 32; any other depth
 * needs a palette of that many entries at most and maps each pixel to its
 * nearest palette colour (bit_count 1, 4 or 8). */
MV7_API MVBITMAP MVBitmapFromDib(MVHANDLE dib, MVPALETTE palette);
MV7_API MVPALETTE CreateBIPalette(MVHANDLE dib);
MV7_API MVHANDLE MVDibFromBitmap(MVBITMAP bitmap, MVPALETTE palette, int32_t bit_count);
/* MVGetBitmapSize() reads a bitmap's size. */
MV7_API int32_t MVGetBitmapSize(MVBITMAP bitmap, int32_t* width, int32_t* height);

/* Drawing.
 * GetDibPalSize() is the byte size of the colour table after the header at
 * `header` (a locked packed DIB): 4 x entries, 0 for direct colour.
 * _StretchDIBits() draws the source rectangle (x_src, y_src, w_src, h_src;
 * y from the top row) of the DIB (`header` + `bits`, the rows) stretched
 * to the destination rectangle by nearest pixel (the COLORONCOLOR mode).
 * rop is MV_SRCCOPY, MV_SRCAND or MV_SRCPAINT; `usage` is reserved (0).
 * Returns the number of source rows drawn from, 0 on failure.
 * _Box() draws a rectangle outline `line_width` pixels wide inside
 * left..right-1 x top..bottom-1; _BoxFull() fills that rectangle. */
MV7_API int32_t GetDibPalSize(const void* header);
MV7_API int32_t _StretchDIBits(MvSurface* surface, int32_t x_dst, int32_t y_dst, int32_t w_dst, int32_t h_dst,
                               int32_t x_src, int32_t y_src, int32_t w_src, int32_t h_src, const void* bits,
                               const void* header, uint32_t usage, uint32_t rop);
MV7_API int32_t _Box(MvSurface* surface, int32_t left, int32_t top, int32_t right, int32_t bottom,
                     int32_t line_width, MVCOLORREF color);
MV7_API int32_t _BoxFull(MvSurface* surface, int32_t left, int32_t top, int32_t right, int32_t bottom,
                         MVCOLORREF color);

/* CreateTransparentMaskBitmap() makes a bitmap of the picture and its mask:
 * mask pixels are white (0xFFFFFFFF) where the picture shows the transparent
 * colour and black where it is opaque; the bitmap is black where
 * transparent.  `transparent` is a colour or MV_COLOR_AUTO for the top-left
 * pixel's colour.  TransparentMaskStretchBlt() draws the source rectangle of
 * the bitmap stretched into the destination rectangle, leaving the surface
 * unchanged where the mask is white. */
MV7_API int32_t CreateTransparentMaskBitmap(MVHANDLE dib, MVCOLORREF transparent, MVBITMAP* bitmap,
                                            MVBITMAP* mask);
MV7_API int32_t TransparentMaskStretchBlt(MvSurface* surface, int32_t x_dst, int32_t y_dst, int32_t w_dst,
                                          int32_t h_dst, MVBITMAP bitmap, MVBITMAP mask, int32_t x_src,
                                          int32_t y_src, int32_t w_src, int32_t h_src);

/* ======================================================= libmv7file.so */

/* MVFileType() recognises picture `index` (0-based) of a file from its
 * content and fills `info`.  Non-zero when known; 0 for a missing or
 * unknown file, an index past the file's pictures, or a bad argument.
 * The file is opened once and only its header is read: the first 4 KiB,
 * and further only where the format keeps its facts (a JPEG's segments up
 * to the first scan, seeking over the others; a TIFF's directories; a
 * PCX's trailing palette).  GIF files (whose picture count needs every
 * block), FlashPix files and drawings are read whole. */
MV7_API int32_t MVFileType(const char* file, int32_t index, MVFileInfo* info);

/* MVFileTypePages() describes the first pictures of a file at once, as
 * MVFileType(file, k, &infos[k]) would for k = 0 .. n-1, opening and reading
 * the file once (a listing of multi-page files asks for every page).
 * `infos` holds `capacity` (>= 1) records.  Returns n = the number of
 * records filled: min(the file's picture count, capacity), or 0 when picture
 * 0 is not known (a missing or unknown file, a bad argument).  A later
 * picture that MVFileType would refuse is left all zero (format 0). */
MV7_API int32_t MVFileTypePages(const char* file, MVFileInfo* infos, int32_t capacity);
/* MVFileTypePagesDated() is MVFileTypePages() that also gives the file's
 * date text of `date_kind` (MV_DATE_*) into `date` (MV_DATE_TEXT_SIZE
 * bytes), as GetFileDateTimeEx(file, date_kind, date) gives it, taken from
 * the same opening of the file; `date` is "" when it cannot be taken. */
MV7_API int32_t MVFileTypePagesDated(const char* file, MVFileInfo* infos, int32_t capacity, int32_t date_kind,
                                     char* date);
/* MVFileTypePagesAt() is MVFileTypePagesDated() of the file `name` in the
 * folder `folder`, which the caller holds open as `folder_fd` (a descriptor
 * of that same folder, e.g. dirfd() of the directory stream it lists): the
 * file is opened relative to the descriptor, so a listing of many files
 * does not have the folder's path looked up again for each.  `name` is a
 * plain file name (no "/"); folder + "/" + name must fit MV_MAX_PATH.  With
 * `date` null no date is taken (date_kind is then ignored).  0 as
 * MVFileTypePagesDated() fails, and for a bad descriptor or name. */
MV7_API int32_t MVFileTypePagesAt(int32_t folder_fd, const char* folder, const char* name, MVFileInfo* infos,
                                  int32_t capacity, int32_t date_kind, char* date);

/* MVFileLoad() decodes picture `index` into a new image handle.  A
 * max_width or max_height > 0 fits the picture inside that bound (aspect
 * kept, never enlarged; 0 leaves the side unbounded) by the cheapest route
 * of the format, e.g. a DCT-scaled JPEG decode.  Negative bounds fail.  The
 * four reserved arguments are ignored.  Returns 0 on any failure.  A vector
 * file gives a vector handle (MV_KIND_VECTOR) of its natural size fitted
 * into the bound; MVVectorToRaster turns it into pixels. */
MV7_API MVHANDLE MVFileLoad(const char* file, int32_t index, int32_t max_width, int32_t max_height,
                            int32_t reserved1, int32_t reserved2, int32_t reserved3, int32_t reserved4);

/* MVJpegExifInfo() reads the EXIF facts of a JPEG: non-zero when the file is
 * a JPEG carrying an EXIF block.  `info->thumbnail` is then the embedded
 * thumbnail (or 0 when there is none), which the caller frees.  Only the
 * JPEG's header is read: its marker segments up to the first scan, the EXIF
 * block among them, seeking over the other application segments. */
MV7_API int32_t MVJpegExifInfo(const char* file, MVExifInfo* info);

/* File I/O.  The open entries return a file number >= 1, or -1.
 * DataFileCreateOpen() writes into a temporary file in the same folder;
 * DataFileClose() then flushes it and renames it over `path`, so a reader
 * never sees half a file and an old file survives a failed write: after any
 * failed __hwrite the close discards the temporary file and fails.
 * DataFileClose() returns 0 on success and -1 on failure.  __hread() and
 * __hwrite() return the bytes transferred (fewer at the end of the file),
 * or -1. */
MV7_API int32_t DataFileReadOpen(const char* path);
MV7_API int32_t DataFileCreateOpen(const char* path);
MV7_API int32_t DataFileClose(int32_t file);
MV7_API int32_t __hread(int32_t file, void* buffer, int32_t count);
MV7_API int32_t __hwrite(int32_t file, const void* buffer, int32_t count);
/* DataFileExist(): non-zero when `path` is an existing regular file.
 * DataFileDelete(): non-zero when the file was removed.
 * DataFileNameSize(): the file's size in bytes, -1 when it is missing or
 * not a regular file. */
MV7_API int32_t DataFileExist(const char* path);
MV7_API int32_t DataFileDelete(const char* path);
MV7_API int64_t DataFileNameSize(const char* path);

/* Paths.
 * GetFileExt(): the extension of the path's last component, upper-cased,
 * without the dot ("a.jpg" gives "JPG"), into `ext` (`size` bytes).
 * Returns its length; 0 when the name has none (no dot, a trailing dot, a
 * leading dot only, a trailing "/") or it does not fit.
 * GetPathFileExt(): splits `file_ext` at ';', ',', '|' and blanks into
 * `table` (MV_EXT_TABLE_ENTRIES entries of MV_EXT_ENTRY_SIZE bytes, all
 * zeroed first): each entry a bare extension ("JPG"), a file name or a
 * pattern with a '.', kept as written.  A leading "*." is not removed.
 * Entries of MV_EXT_ENTRY_SIZE bytes or more are left out.  An empty
 * `file_ext` (or "*" / "*.*") gives the extensions of every readable
 * format.  `file_path` must be a valid path list (see IsSetDrive).
 * Returns the entries filled; 0 on failure.
 * GetPathDir(): folder `index` of the ';'-separated folder list `file_path`
 * into `dir` (260 bytes), without a trailing "/" (the root stays "/").
 * Empty and over-long folders are not counted.  Returns non-zero while a
 * folder exists, 0 past the last.
 * GetFullpathFilename(): splits `path` at its last "/" into `dir` (no
 * trailing "/", "/" for the root, "" without a folder) and `name` (260
 * bytes each).  0 when the name is empty.
 * GetPagefromFilename(): the image number of a name that carries a page
 * suffix "|N" (N = 0..32767 in decimal digits), 0 when there is none.
 * CutPagefromFilename(): copies `name` into `out` (260 bytes; may be
 * `name` itself) without its page suffix.
 * IsSetDrive(): non-zero when every ';'-separated element of `path` is an
 * absolute path (starts with "/") shorter than MV_MAX_PATH.
 * SetTermYEN(): appends "/" to `path` (a 260-byte buffer) unless it already
 * ends in one or is empty; 0 when the result would not fit. */
MV7_API int32_t GetFileExt(const char* path, char* ext, int32_t size);
MV7_API int32_t GetPathFileExt(const char* file_path, const char* file_ext, char table[][MV_EXT_ENTRY_SIZE]);
MV7_API int32_t GetPathDir(int32_t index, const char* file_path, char* dir);
MV7_API int32_t GetFullpathFilename(const char* path, char* dir, char* name);
MV7_API int32_t GetPagefromFilename(const char* name);
MV7_API int32_t CutPagefromFilename(const char* name, char* out);
MV7_API int32_t IsSetDrive(const char* path);
MV7_API int32_t SetTermYEN(char* path);

/* File times as date text "YYYYMMDDhhmmss" (UTC, 14 characters + NUL, in a
 * MV_DATE_TEXT_SIZE buffer), which sorts in time order.
 * GetFileDateTimeEx(): kind MV_DATE_CREATION (the file system's birth time,
 * or the last-write time where it keeps none), MV_DATE_LAST_WRITE or
 * MV_DATE_LAST_ACCESS.  GetPathFileDateTime(): the last-write time. */
MV7_API int32_t GetFileDateTimeEx(const char* path, int32_t kind, char* date);
MV7_API int32_t GetPathFileDateTime(const char* path, char* date);

/* ==================================================== libmv7vectcom.so */

/* MVVectorGdipStart() readies vector drawing and returns a token (never 0);
 * MVVectorGdipEnd() takes it back: non-zero for a live token, 0 otherwise. */
MV7_API uint32_t MVVectorGdipStart(void);
MV7_API int32_t MVVectorGdipEnd(uint32_t token);

/* ================================================== libmv7rastovect.so */

/* MVVectorToRaster() renders a picture as a new raster handle of bit_count
 * 24 or 32.  A vector handle is painted at its size on the background (red,
 * green, blue 0..255), anti-aliased.  With mode 1 a 32-bit raster picture
 * whose alpha is in use is laid over the background; mode 0 drops the
 * alpha.  The source handle stays with the caller.  Returns 0 on failure. */
MV7_API MVHANDLE MVVectorToRaster(MVHANDLE handle, int32_t bit_count, int32_t mode, int32_t red, int32_t green,
                                  int32_t blue);

/* ======================== libmv7scan.so, libmv7print.so, libmv7effect.so */

/* Scanning, printing and effects are served by the imaging control, not by
 * this family; these entries exist so that programs binding the family by
 * name find them, and they always fail (0 / -1 for MVScanSelectSource). */
MV7_API int32_t MVScanSelectSource(void);
MV7_API MVHANDLE MVScanAcquire(int32_t show_dialog);
MV7_API int32_t MVPrintImage(MVHANDLE handle, int32_t copies);
MV7_API int32_t MVPrintSetup(void);
MV7_API MVHANDLE MVEffectApply(MVHANDLE handle, int32_t effect, int32_t level);

#ifdef __cplusplus
} /* extern "C" */

static_assert(sizeof(MVBITMAPINFOHEADER) == 40, "packed DIB header is 40 bytes");
static_assert(offsetof(MVFileInfo, width) == 0 && offsetof(MVFileInfo, height) == 4, "MVFileInfo size fields");
static_assert(offsetof(MVFileInfo, format) == 28 && offsetof(MVFileInfo, image_count) == 32,
              "MVFileInfo format and count");
static_assert(sizeof(MVFileInfo) == 40, "MVFileInfo is 40 bytes");
static_assert(offsetof(MVImageType, sizing) == 0 && sizeof(MVImageType) == 32, "MVImageType layout");
static_assert(sizeof(MVBITMAPHEADER) == 16 && sizeof(MVPALETTEHEADER) == 8, "block headers");
#else
_Static_assert(sizeof(MVBITMAPINFOHEADER) == 40, "packed DIB header is 40 bytes");
_Static_assert(offsetof(MVFileInfo, width) == 0 && offsetof(MVFileInfo, height) == 4, "MVFileInfo size fields");
_Static_assert(offsetof(MVFileInfo, format) == 28 && offsetof(MVFileInfo, image_count) == 32,
               "MVFileInfo format and count");
_Static_assert(sizeof(MVFileInfo) == 40, "MVFileInfo is 40 bytes");
_Static_assert(offsetof(MVImageType, sizing) == 0 && sizeof(MVImageType) == 32, "MVImageType layout");
_Static_assert(sizeof(MVBITMAPHEADER) == 16 && sizeof(MVPALETTEHEADER) == 8, "block headers");
#endif

#endif /* OSMUND_IMAGING_DLLS_MV7_H_ */
