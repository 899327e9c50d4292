// File: slide/slide_ids.h
//
// Identifiers of the slideshow control: class, interface and library
// GUIDs, DISPIDs of its properties, methods and events, its enumerations
// and status codes.
#pragma once

#include <cstdint>

#include "viewer_common/hosting/guid.h"
#include "viewer_common/hosting/interfaces.h"

namespace slide {

inline constexpr hosting::Guid kLibId = hosting::Guid::FromString("{6C1D3E52-8A47-4F0B-9E21-3B5A7D9C4E60}");
inline constexpr hosting::Guid kClsid = hosting::Guid::FromString("{6C1D3E53-8A47-4F0B-9E21-3B5A7D9C4E60}");
inline constexpr hosting::Guid kIid = hosting::Guid::FromString("{6C1D3E54-8A47-4F0B-9E21-3B5A7D9C4E60}");
inline constexpr hosting::Guid kEventsIid = hosting::Guid::FromString("{6C1D3E55-8A47-4F0B-9E21-3B5A7D9C4E60}");
inline constexpr hosting::Guid kPageClsid = hosting::Guid::FromString("{6C1D3E56-8A47-4F0B-9E21-3B5A7D9C4E60}");

// Stock properties.
inline constexpr hosting::DispId kBackColor = -501;
inline constexpr hosting::DispId kBorderColor = -503;
inline constexpr hosting::DispId kBorderVisible = -519;
inline constexpr hosting::DispId kAppearance = -520;
inline constexpr hosting::DispId kEnabled = -514;
// The control's own properties.
inline constexpr hosting::DispId kFileReadWay = 20;
inline constexpr hosting::DispId kSlideFileName = 21;
inline constexpr hosting::DispId kFilePath = 22;
inline constexpr hosting::DispId kFileExt = 23;
inline constexpr hosting::DispId kIntervalTime = 24;
inline constexpr hosting::DispId kEndless = 25;
inline constexpr hosting::DispId kCurrentImage = 26;
inline constexpr hosting::DispId kMaxImage = 27;
inline constexpr hosting::DispId kScrollSize = 28;
inline constexpr hosting::DispId kScrollDir = 29;
inline constexpr hosting::DispId kSort = 30;
inline constexpr hosting::DispId kSortOrder = 31;
inline constexpr hosting::DispId kSortDate = 32;
inline constexpr hosting::DispId kHwnd = 33;
inline constexpr hosting::DispId kErrorStatus = 34;
inline constexpr hosting::DispId kShuffle = 35;
inline constexpr hosting::DispId kWatchFolder = 36;

// Methods.
inline constexpr hosting::DispId kAbout = -552;
inline constexpr hosting::DispId kOpen = 1;
inline constexpr hosting::DispId kClose = 2;
inline constexpr hosting::DispId kStart = 3;
inline constexpr hosting::DispId kStop = 4;
inline constexpr hosting::DispId kGoNext = 5;
inline constexpr hosting::DispId kGoBack = 6;
inline constexpr hosting::DispId kGoTop = 7;
inline constexpr hosting::DispId kGoBottom = 8;
inline constexpr hosting::DispId kClear = 9;

// Events.
inline constexpr hosting::DispId kClickEvent = -600;
inline constexpr hosting::DispId kDblClickEvent = -601;
inline constexpr hosting::DispId kKeyDownEvent = -602;
inline constexpr hosting::DispId kKeyPressEvent = -603;
inline constexpr hosting::DispId kKeyUpEvent = -604;
inline constexpr hosting::DispId kMouseDownEvent = -605;
inline constexpr hosting::DispId kMouseMoveEvent = -606;
inline constexpr hosting::DispId kMouseUpEvent = -607;
inline constexpr hosting::DispId kProgressEvent = 1;
inline constexpr hosting::DispId kStartSlideEvent = 2;
inline constexpr hosting::DispId kEndSlideEvent = 3;

// AppearanceConstants
inline constexpr int mvFlat = 0, mvLowered = 1, mvRaised = 2;
// SlideFileReadWayConstants
inline constexpr int mvSlidefile = 0, mvFolder = 1, mvFolderMultiImage = 2;
// SlideShowScrollConstants
inline constexpr int mvNormal = 0, mvRightToLeft = 1, mvLeftToRight = 2, mvUpToDown = 3, mvDownToUp = 4;

// ErrorStatus codes.
inline constexpr int16_t kStatusOk = 0;
inline constexpr int16_t kStatusListFailed = 5;
inline constexpr int16_t kStatusLoadFailed = 6;
// Open: the folder gave more pictures than a list holds (32 767); the list
// keeps the first ones in listing order and the show runs on it.
inline constexpr int16_t kStatusListFull = 7;
inline constexpr int16_t kStatusWrongState = 11;

inline constexpr char16_t kDefaultFileExt[] = u"BMP;JPG;TIF;PCX;FPX;PNG;GIF;JP2;JPC;J2K;WMF;EMF;DXF;SVG;P21;SFC";

}  // namespace slide
