// The slideshow control's description: properties with their defaults and
// put ranges, methods, events, the property map and the About box.
#include "slide/morvik_slide.h"
#include "slide/slide_page.h"

namespace slide {

using namespace hosting;

const ControlClass& CMorvikSlide::Class() {
  static const ControlClass cls = [] {
    ControlClass c;
    c.info.clsid = kClsid;
    c.info.prog_id = "Morvik7Slide.MorvikSlide.1";
    c.info.version_independent_prog_id = "Morvik7Slide.MorvikSlide";
    c.info.description = "MorvikSlide Class";
    c.info.long_description = "Morvik7 Slideshow ActiveX Control";
    c.info.type_library = kLibId;
    c.info.is_control = true;
    const uint32_t kVisual = kDefaultFlags | kRepaint;
    // Enumerated properties carry their value captions for browsing.
    auto ja = [](DispId id) { return &ValueCaptions(id, true); };
    auto en = [](DispId id) { return &ValueCaptions(id, false); };
    c.properties = {
        {"BackColor", kBackColor, VarType::kColor, kGetPut, Variant::Color(0xFFFFFF), kVisual},
        {"BorderColor", kBorderColor, VarType::kColor, kGetPut, Variant::Color(0), kVisual},
        {"BorderVisible", kBorderVisible, VarType::kBool, kGetPut, Variant::Bool(true), kVisual},
        {"Appearance", kAppearance, VarType::kI2, kGetPut, Variant::I2(mvLowered), kVisual, 0, 2, OutOfRange::kRefuse,
         ja(kAppearance), en(kAppearance)},
        {"Enabled", kEnabled, VarType::kBool, kGetPut, Variant::Bool(true)},
        {"FileReadWay", kFileReadWay, VarType::kI2, kGetPut, Variant::I2(mvSlidefile), kDefaultFlags, 0, 2, OutOfRange::kIgnore,
         ja(kFileReadWay), en(kFileReadWay)},
        {"SlideFileName", kSlideFileName, VarType::kBstr, kGetPut, Variant::Bstr(u"")},
        {"FilePath", kFilePath, VarType::kBstr, kGetPut, Variant::Bstr(u"")},
        {"FileExt", kFileExt, VarType::kBstr, kGetPut, Variant::Bstr(kDefaultFileExt)},
        {"IntervalTime", kIntervalTime, VarType::kI4, kGetPut, Variant::I4(0), kDefaultFlags, 0, INT32_MAX},
        {"Endless", kEndless, VarType::kBool, kGetPut, Variant::Bool(false)},
        {"CurrentImage", kCurrentImage, VarType::kI4, kGetPut, Variant::I4(0), kDefaultFlags, 0, INT32_MAX},
        {"MaxImage", kMaxImage, VarType::kI4, kGetPut, Variant::I4(0), kDefaultFlags, 0, INT32_MAX},
        {"ScrollSize", kScrollSize, VarType::kI2, kGetPut, Variant::I2(1), kDefaultFlags, 0, INT16_MAX},
        {"ScrollDir", kScrollDir, VarType::kI2, kGetPut, Variant::I2(mvNormal), kDefaultFlags, 0, 4, OutOfRange::kIgnore,
         ja(kScrollDir), en(kScrollDir)},
        {"Sort", kSort, VarType::kI2, kGetPut, Variant::I2(0), kDefaultFlags, 0, 8, OutOfRange::kIgnore,
         ja(kSort), en(kSort)},
        {"SortOrder", kSortOrder, VarType::kI2, kGetPut, Variant::I2(0), kDefaultFlags, 0, 1, OutOfRange::kIgnore,
         ja(kSortOrder), en(kSortOrder)},
        {"SortDate", kSortDate, VarType::kI2, kGetPut, Variant::I2(1), kDefaultFlags, 0, 2, OutOfRange::kIgnore,
         ja(kSortDate), en(kSortDate)},
        {"Hwnd", kHwnd, VarType::kI4, kGet, Variant::I4(0), kComputed},
        {"ErrorStatus", kErrorStatus, VarType::kI2, kGet, Variant::I2(0), kComputed},
        {"Shuffle", kShuffle, VarType::kBool, kGetPut, Variant::Bool(false)},
        {"WatchFolder", kWatchFolder, VarType::kBool, kGetPut, Variant::Bool(false)},
    };
    c.methods = {
        {"About", kAbout, {}, VarType::kEmpty},
        {"Open", kOpen, {}, VarType::kI2},
        {"Close", kClose, {}, VarType::kI2},
        {"Start", kStart, {}, VarType::kI2},
        {"Stop", kStop, {}, VarType::kI2},
        {"GoNext", kGoNext, {}, VarType::kI2},
        {"GoBack", kGoBack, {}, VarType::kI2},
        {"GoTop", kGoTop, {}, VarType::kI2},
        {"GoBottom", kGoBottom, {}, VarType::kI2},
        {"Clear", kClear, {}, VarType::kEmpty},
    };
    const std::vector<ParamInfo> mouse = {
        {"Button", VarType::kI2}, {"Shift", VarType::kI2}, {"x", VarType::kI4}, {"y", VarType::kI4}};
    const std::vector<ParamInfo> key = {{"KeyCode", VarType::kI2}, {"Shift", VarType::kI2}};
    const std::vector<ParamInfo> slide = {
        {"ImageNumber", VarType::kI2}, {"PathName", VarType::kBstr}, {"FileName", VarType::kBstr}};
    c.event_defs = {
        {"Click", kClickEvent, {}},
        {"DblClick", kDblClickEvent, {}},
        {"KeyDown", kKeyDownEvent, key},
        {"KeyPress", kKeyPressEvent, {{"KeyAscii", VarType::kI2}}},
        {"KeyUp", kKeyUpEvent, key},
        {"MouseDown", kMouseDownEvent, mouse},
        {"MouseMove", kMouseMoveEvent, mouse},
        {"MouseUp", kMouseUpEvent, mouse},
        {"Progress", kProgressEvent, {{"Percent", VarType::kI2}}},
        {"StartSlide", kStartSlideEvent, slide},
        {"EndSlide", kEndSlideEvent, slide},
    };
    c.persisted = {kAppearance, kBackColor, kBorderVisible, kBorderColor, kEnabled, kFileReadWay,
                   kFileExt,    kIntervalTime, kEndless, kCurrentImage, kMaxImage, kScrollSize,
                   kScrollDir,  kSort, kSortOrder, kSortDate, kShuffle, kWatchFolder};
    c.pages = {kPageClsid};
    c.about.product_line = u"Morvik7 Slideshow ActiveX Control";
    c.about.maker_line = u"Osmund Imaging";
    c.about.product_version = "1.0";
    c.about.file_version = "1.0.0.1";
    c.about.library_rows = {{u"libmv7com.so", u"1.0"},    {u"libmv7file.so", u"1.0"},
                            {u"libmv7vectcom.so", u"1.0"}, {u"libmv7rastovect.so", u"1.0"}};
    c.Finish(kIid, "IMorvikSlide", kEventsIid, "_IMorvikSlideEvents");
    return c;
  }();
  return cls;
}

}  // namespace slide
