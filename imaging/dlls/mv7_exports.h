/* File: imaging/dlls/mv7_exports.h
 *
 * Which library of the family exports which entry, as one X-macro list, in
 * the load order of the family.  Binders expand it to build their tables;
 * the libraries' tests expand it to check that every entry is exported.
 *
 *   #define NAME_ONLY(lib, entry) #entry,
 *   static const char* const kNames[] = { MV7_EXPORTS(NAME_ONLY) };
 *
 * `lib` is one of the MV7_LIB_* indices below.
 */
#ifndef OSMUND_IMAGING_DLLS_MV7_EXPORTS_H_
#define OSMUND_IMAGING_DLLS_MV7_EXPORTS_H_

/* The libraries, in the order they are loaded and freed. */
#define MV7_LIB_COM 0
#define MV7_LIB_FILE 1
#define MV7_LIB_SCAN 2
#define MV7_LIB_PRINT 3
#define MV7_LIB_EFFECT 4
#define MV7_LIB_VECTCOM 5
#define MV7_LIB_RASTOVECT 6
#define MV7_LIB_COUNT 7

/* File names of the libraries, indexed by MV7_LIB_*. */
#define MV7_LIBRARY_FILES                                                                            \
  "libmv7com.so", "libmv7file.so", "libmv7scan.so", "libmv7print.so", "libmv7effect.so",           \
      "libmv7vectcom.so", "libmv7rastovect.so"

#define MV7_EXPORTS(X)                                 \
  X(MV7_LIB_COM, MVGlobalAlloc)                        \
  X(MV7_LIB_COM, MVGlobalLock)                         \
  X(MV7_LIB_COM, MVGlobalUnlock)                       \
  X(MV7_LIB_COM, MVGlobalSize)                         \
  X(MV7_LIB_COM, MVGlobalFree)                         \
  X(MV7_LIB_COM, MVGlobalCount)                        \
  X(MV7_LIB_COM, MVFreeMemory)                         \
  X(MV7_LIB_COM, MVGetImageType)                       \
  X(MV7_LIB_COM, MVResize)                             \
  X(MV7_LIB_COM, SetImageSize)                         \
  X(MV7_LIB_COM, MVBitmapFromDib)                      \
  X(MV7_LIB_COM, CreateBIPalette)                      \
  X(MV7_LIB_COM, MVDibFromBitmap)                      \
  X(MV7_LIB_COM, MVGetBitmapSize)                      \
  X(MV7_LIB_COM, GetDibPalSize)                        \
  X(MV7_LIB_COM, _StretchDIBits)                       \
  X(MV7_LIB_COM, _Box)                                 \
  X(MV7_LIB_COM, _BoxFull)                             \
  X(MV7_LIB_COM, CreateTransparentMaskBitmap)          \
  X(MV7_LIB_COM, TransparentMaskStretchBlt)            \
  X(MV7_LIB_FILE, MVFileType)                          \
  X(MV7_LIB_FILE, MVFileTypePages)                     \
  X(MV7_LIB_FILE, MVFileTypePagesDated)                \
  X(MV7_LIB_FILE, MVFileTypePagesAt)                   \
  X(MV7_LIB_FILE, MVFileLoad)                          \
  X(MV7_LIB_FILE, MVJpegExifInfo)                      \
  X(MV7_LIB_FILE, DataFileReadOpen)                    \
  X(MV7_LIB_FILE, DataFileCreateOpen)                  \
  X(MV7_LIB_FILE, DataFileClose)                       \
  X(MV7_LIB_FILE, __hread)                             \
  X(MV7_LIB_FILE, __hwrite)                            \
  X(MV7_LIB_FILE, DataFileExist)                       \
  X(MV7_LIB_FILE, DataFileDelete)                      \
  X(MV7_LIB_FILE, DataFileNameSize)                    \
  X(MV7_LIB_FILE, GetFileExt)                          \
  X(MV7_LIB_FILE, GetPathFileExt)                      \
  X(MV7_LIB_FILE, GetPathDir)                          \
  X(MV7_LIB_FILE, GetFullpathFilename)                 \
  X(MV7_LIB_FILE, GetPagefromFilename)                 \
  X(MV7_LIB_FILE, CutPagefromFilename)                 \
  X(MV7_LIB_FILE, IsSetDrive)                          \
  X(MV7_LIB_FILE, SetTermYEN)                          \
  X(MV7_LIB_FILE, GetFileDateTimeEx)                   \
  X(MV7_LIB_FILE, GetPathFileDateTime)                 \
  X(MV7_LIB_SCAN, MVScanSelectSource)                  \
  X(MV7_LIB_SCAN, MVScanAcquire)                       \
  X(MV7_LIB_PRINT, MVPrintImage)                       \
  X(MV7_LIB_PRINT, MVPrintSetup)                       \
  X(MV7_LIB_EFFECT, MVEffectApply)                     \
  X(MV7_LIB_VECTCOM, MVVectorGdipStart)                \
  X(MV7_LIB_VECTCOM, MVVectorGdipEnd)                  \
  X(MV7_LIB_RASTOVECT, MVVectorToRaster)

#endif /* OSMUND_IMAGING_DLLS_MV7_EXPORTS_H_ */
