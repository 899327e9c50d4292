// File: thumb/thumb_ids.h
//
// Dispatch identifiers, enumerations and status codes of the thumbnail
// control's interface IMorvikThumb and its events _IMorvikThumbEvents.
#pragma once

#include "viewer_common/hosting/type_info.h"

namespace thumb {

using hosting::DispId;

// Properties (stock ones use the framework's kDispId* values).
inline constexpr DispId kForeColorUp = -513;
inline constexpr DispId kForeColorDown = 21;
inline constexpr DispId kPictureUp = -523;
inline constexpr DispId kPictureDown = 20;
inline constexpr DispId kColCount = 22;
inline constexpr DispId kRowCount = 23;
inline constexpr DispId kGapSize = 24;
inline constexpr DispId kDispFileName = 25;
inline constexpr DispId kFilePath = 26;
inline constexpr DispId kFileExt = 27;
inline constexpr DispId kScrollStep = 28;
inline constexpr DispId kScrollBar = 29;
inline constexpr DispId kScrollVH = 30;
inline constexpr DispId kEdgeSize = 31;
inline constexpr DispId kReadMode = 32;
inline constexpr DispId kStartNum = 33;
inline constexpr DispId kStyle = 34;
inline constexpr DispId kSort = 35;
inline constexpr DispId kSortOrder = 36;
inline constexpr DispId kSortDate = 37;
inline constexpr DispId kEnableMouseWheel = 38;
inline constexpr DispId kImageSize = 39;
inline constexpr DispId kThumbnailFile = 40;
inline constexpr DispId kEnableDragTarget = 41;
inline constexpr DispId kEnableDragSource = 42;
inline constexpr DispId kEnableMouseMoveButton = 43;
inline constexpr DispId kEnableSelectMultiFiles = 44;
inline constexpr DispId kButton3D = 45;
inline constexpr DispId kTextColor = 46;
inline constexpr DispId kTextBackColor = 47;
inline constexpr DispId kTextTransparent = 48;
inline constexpr DispId kSelectTextColor = 49;
inline constexpr DispId kSelectTextBackColor = 50;
inline constexpr DispId kSelectTextTransparent = 51;
inline constexpr DispId kClearOnLoad = 52;
inline constexpr DispId kEnableMove = 53;
inline constexpr DispId kHdc = 54;
inline constexpr DispId kFileName = 55;
inline constexpr DispId kHwnd = 56;
inline constexpr DispId kErrorStatus = 57;
inline constexpr DispId kThumbArrayFileName = 58;
inline constexpr DispId kThumbArrayPathName = 59;
inline constexpr DispId kThumbArrayPage = 60;
inline constexpr DispId kCancel = 61;
inline constexpr DispId kText = 62;
inline constexpr DispId kThumbArrayNum = 63;
inline constexpr DispId kEnableArrowKeys = 64;
inline constexpr DispId kPictureUpFile = 65;
inline constexpr DispId kPictureDownFile = 66;
inline constexpr DispId kEnableOLEDrag = 67;
inline constexpr DispId kMouseCursorType = 68;
inline constexpr DispId kMouseCursorFile = 69;
inline constexpr DispId kSelectMouseCursorType = 70;
inline constexpr DispId kSelectMouseCursorFile = 71;
inline constexpr DispId kImageHandle = 72;
// Read and write the desktop's shared thumbnail cache (default TRUE).
inline constexpr DispId kUseSharedCache = 73;

// Methods.
inline constexpr DispId kGetFiles = 1;
inline constexpr DispId kDisplay = 2;
inline constexpr DispId kRefresh = 3;
inline constexpr DispId kScroll = 4;
inline constexpr DispId kUpdateThumbnailFile = 5;
inline constexpr DispId kClear = 6;
inline constexpr DispId kIsSelected = 7;
inline constexpr DispId kSelectImage = 8;
inline constexpr DispId kDeSelectImage = 9;
inline constexpr DispId kDelete = 10;

// Events.
inline constexpr DispId kEventClick = -600;
inline constexpr DispId kEventDblClick = -601;
inline constexpr DispId kEventKeyDown = -602;
inline constexpr DispId kEventKeyPress = -603;
inline constexpr DispId kEventKeyUp = -604;
inline constexpr DispId kEventMouseDown = -605;
inline constexpr DispId kEventMouseMove = -606;
inline constexpr DispId kEventMouseUp = -607;
inline constexpr DispId kEventStartLoadFile = 1;
inline constexpr DispId kEventEndLoadFile = 2;
inline constexpr DispId kEventSelectFile = 3;
inline constexpr DispId kEventMouseMoveOnThumb = 4;
inline constexpr DispId kEventShowThumbImage = 5;
inline constexpr DispId kEventDropFileInThumb = 6;

// Enumerations.
enum Appearance : int { mvFlat = 0, mvLowered = 1, mvRaised = 2 };
enum ScrollDirection : int { mvThumbVertical = 0, mvThumbHorizontal = 1 };
enum ReadMode : int {
  mvThumbRd = 0,
  mvThumbRdDsp = 1,
  mvThumbRdMultiImg = 2,
  mvThumbRdDspMultiImg = 3,
  mvThumbRdImage = 4,
};
enum Style : int { mvButton = 0, mvFilm = 1, mvCustom = 2 };
enum CursorType : int { mvCursorCustom = 15, mvCursorNoShow = 16, mvCursorDefault = 17 };

// ErrorStatus values.
enum Status : int16_t {
  kStatusOk = 0,
  kStatusCancelled = 1,
  kStatusThumbFileNotWritten = 2,
  kStatusNoMemory = 3,
  kStatusBadValue = 5,
  kStatusNotLoadable = 6,
  // The list holds 32 767 entries, the most a 16-bit image number can
  // address: GetFiles kept the first ones in listing order (and the
  // thumbnail file's first records), and a dropped file or an ImageHandle
  // put finds no room.
  kStatusListFull = 7,
  kStatusEmptyList = 16,
};

}  // namespace thumb
