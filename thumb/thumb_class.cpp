// The thumbnail control's class description: identifiers, every property
// with its type, default and put rule, the methods and events, the property
// map, the captions of the enumerated properties, the property page, and
// the server module with its four exports.
#include <QCoreApplication>

#include "thumb/morvik_thumb.h"
#include "viewer_common/hosting/control_object.h"
#include "viewer_common/hosting/property_page.h"
#include "viewer_common/hosting/server_module.h"

namespace thumb {
namespace {

using namespace hosting;

constexpr Guid kLibId = Guid::FromString("{E84CF3E0-D65D-4C80-8E40-2DD770ABE4A9}");
constexpr Guid kClsid = Guid::FromString("{5D821C01-30D9-4A0E-9384-11B941EFE830}");
constexpr Guid kDispatchIid = Guid::FromString("{BF09E3E8-8AC7-40E9-A9AA-B5E70CA1DF42}");
constexpr Guid kEventsIid = Guid::FromString("{E97561FC-1088-41CC-8764-9A8022890955}");
constexpr Guid kPageClsid = Guid::FromString("{3090D3F7-31BB-4316-A0DA-E8AC8FEDAF09}");

using Captions = std::vector<std::u16string>;

// The string table's captions (strings 144 to 176), English and Japanese.
const Captions kAppearanceEn = {u"0 - Flat", u"1 - Lowered", u"2 - Raised"};
const Captions kAppearanceJa = {u"0 - ﾌﾗｯﾄ", u"1 - 3D（凹）", u"2 - 3D（凸）"};
const Captions kSortEn = {u"0 - None",
                          u"1 - File name",
                          u"2 - Date",
                          u"3 - File extension + File name",
                          u"4 - File extension + Date",
                          u"5 - Directory + File name",
                          u"6 - Directory + Date",
                          u"7 - Directory + File extension + File name",
                          u"8 - Directory + File extension + Date"};
const Captions kSortJa = {u"0 - なし",           u"1 - ﾌｧｲﾙ名順",          u"2 - 日付順",
                          u"3 - 拡張子＋ﾌｧｲﾙ名順", u"4 - 拡張子＋日付順",       u"5 - ﾌｫﾙﾀﾞ＋ﾌｧｲﾙ名順",
                          u"6 - ﾌｫﾙﾀﾞ＋日付順",    u"7 - ﾌｫﾙﾀﾞ＋拡張子＋ﾌｧｲﾙ名順", u"8 - ﾌｫﾙﾀﾞ＋拡張子＋日付順"};
const Captions kSortOrderEn = {u"0 - Increasing order", u"1 - Decreasing order"};
const Captions kSortOrderJa = {u"0 - 昇順", u"1 - 降順"};
const Captions kScrollEn = {u"0 - Vertical", u"1 - Horizontal"};
const Captions kScrollJa = {u"0 - 縦", u"1 - 横"};
const Captions kReadModeEn = {u"0 - Read", u"1 - Read and display", u"2 - Read multi-image",
                              u"3 - Read and display multi-image", u"4 - Image handle"};
const Captions kReadModeJa = {u"0 - 読込", u"1 - 読込表示", u"2 - 読込（ﾏﾙﾁｲﾒｰｼﾞ）", u"3 - 読込表示（ﾏﾙﾁｲﾒｰｼﾞ）",
                              u"4 - ｲﾒｰｼﾞ"};
const Captions kStyleEn = {u"0 - Button", u"1 - Film", u"2 - Custom"};
const Captions kStyleJa = {u"0 - ボタン", u"1 - フィルム", u"2 - カスタム"};
const Captions kSortDateEn = {u"0 - Created Date", u"1 - Modified Date", u"2 - Accessed Date"};
const Captions kSortDateJa = {u"0 - 作成日時", u"1 - 更新日時", u"2 - ｱｸｾｽ日時"};

constexpr uint32_t kRepaintFlags = kDefaultFlags | kRepaint;
constexpr uint32_t kStoredOnly = kMarkDirty;

PropertyDef Bool(std::string name, DispId id, bool def, uint32_t flags = kDefaultFlags, uint8_t access = kGetPut) {
  return {std::move(name), id, VarType::kBool, access, Variant::Bool(def), flags};
}
PropertyDef Color(std::string name, DispId id, uint32_t def, uint32_t flags = kRepaintFlags) {
  return {std::move(name), id, VarType::kColor, kGetPut, Variant::Color(def), flags};
}
PropertyDef Short(std::string name, DispId id, int16_t def, int64_t min, int64_t max, uint32_t flags = kDefaultFlags,
                  OutOfRange oor = OutOfRange::kIgnore, const Captions* ja = nullptr, const Captions* en = nullptr) {
  return {std::move(name), id, VarType::kI2, kGetPut, Variant::I2(def), flags, min, max, oor, ja, en};
}
PropertyDef Text(std::string name, DispId id, std::u16string def, uint32_t flags = kDefaultFlags,
                 uint8_t access = kGetPut) {
  return {std::move(name), id, VarType::kBstr, access, Variant::Bstr(std::move(def)), flags};
}

FontDesc DefaultFont() {
  if (IsJapaneseUi()) return {u"ＭＳ Ｐ明朝", 9, 400, 128, false, false, false};
  return {u"Arial", 9, 400, 0, false, false, false};
}

}  // namespace

const ControlClass& CMorvikThumb::Class() {
  static const ControlClass cls = [] {
    ControlClass c;
    c.info.clsid = kClsid;
    c.info.prog_id = "Morvik7Thumb.MorvikThumb.1";
    c.info.version_independent_prog_id = "Morvik7Thumb.MorvikThumb";
    c.info.description = "MorvikThumb Class";
    c.info.long_description = "Morvik7 Thumbnail ActiveX Control";
    c.info.type_library = kLibId;
    c.info.is_control = true;
    c.properties = {
        Color("BackColor", kDispIdBackColor, 0xFFFFFF),
        Color("ForeColorUp", kForeColorUp, 0xE0E0E0),
        Color("ForeColorDown", kForeColorDown, 0x808080),
        Bool("BorderVisible", kDispIdBorderVisible, false, kRepaintFlags),
        Short("Appearance", kDispIdAppearance, 0, 0, 2, kRepaintFlags, OutOfRange::kRefuse, &kAppearanceJa,
              &kAppearanceEn),
        Color("BorderColor", kDispIdBorderColor, 0),
        {"Font", kDispIdFont, VarType::kFont, kGetPut | kPutRef, Variant::Font(DefaultFont()), kRepaintFlags},
        {"PictureUp", kPictureUp, VarType::kPicture, kGet | kPutRef, Variant::Picture(0), kRepaintFlags},
        {"PictureDown", kPictureDown, VarType::kPicture, kGet | kPutRef, Variant::Picture(0), kRepaintFlags},
        Bool("Enabled", kDispIdEnabled, true),
        Short("ColCount", kColCount, 2, 1, INT16_MAX, kRepaintFlags),
        Short("RowCount", kRowCount, 2, 1, INT16_MAX, kRepaintFlags),
        Short("GapSize", kGapSize, 5, 0, INT16_MAX, kRepaintFlags),
        Short("EdgeSize", kEdgeSize, 5, 0, INT16_MAX, kRepaintFlags),
        Bool("DispFileName", kDispFileName, false, kRepaintFlags),
        Text("FilePath", kFilePath, u""),
        Text("FileExt", kFileExt, u"BMP;JPG;TIF;PCX;FPX;PNG;GIF;JP2;JPC;J2K;WMF;EMF;DXF;SVG;P21;SFC"),
        Short("ScrollStep", kScrollStep, 1, INT16_MIN, INT16_MAX),
        Bool("ScrollBar", kScrollBar, true, kRepaintFlags),
        Short("ScrollVH", kScrollVH, 0, 0, 1, kRepaintFlags, OutOfRange::kIgnore, &kScrollJa, &kScrollEn),
        Short("ReadMode", kReadMode, 1, 0, 4, kDefaultFlags, OutOfRange::kIgnore, &kReadModeJa, &kReadModeEn),
        {"StartNum", kStartNum, VarType::kI2, kGetPut, Variant::I2(0), kComputed | kNotify},
        Short("Style", kStyle, 0, 0, 2, kRepaintFlags, OutOfRange::kIgnore, &kStyleJa, &kStyleEn),
        Short("Sort", kSort, 0, 0, 8, kDefaultFlags, OutOfRange::kIgnore, &kSortJa, &kSortEn),
        Short("SortOrder", kSortOrder, 0, 0, 1, kDefaultFlags, OutOfRange::kIgnore, &kSortOrderJa, &kSortOrderEn),
        Short("SortDate", kSortDate, 1, 0, 2, kDefaultFlags, OutOfRange::kIgnore, &kSortDateJa, &kSortDateEn),
        Bool("EnableMouseWheel", kEnableMouseWheel, false),
        Short("ImageSize", kImageSize, 96, 0, INT16_MAX),
        Text("ThumbnailFile", kThumbnailFile, u""),
        Bool("EnableDragTarget", kEnableDragTarget, false),
        Bool("EnableDragSource", kEnableDragSource, false),
        Bool("EnableMouseMoveButton", kEnableMouseMoveButton, false),
        Bool("EnableSelectMultiFiles", kEnableSelectMultiFiles, false),
        Bool("Button3D", kButton3D, true, kRepaintFlags),
        Color("TextColor", kTextColor, 0, kDefaultFlags),
        Color("TextBackColor", kTextBackColor, 0xFFFFFF, kDefaultFlags),
        Bool("TextTransparent", kTextTransparent, true, kStoredOnly),
        Color("SelectTextColor", kSelectTextColor, 0, kDefaultFlags),
        Color("SelectTextBackColor", kSelectTextBackColor, 0xFFFFFF, kDefaultFlags),
        Bool("SelectTextTransparent", kSelectTextTransparent, true, kStoredOnly),
        Bool("ClearOnLoad", kClearOnLoad, true),
        Bool("EnableMove", kEnableMove, false),
        {"Hdc", kHdc, VarType::kI4, kGet, Variant::I4(0), kComputed},
        {"FileName", kFileName, VarType::kBstr, kGet, Variant::Bstr(u""), kComputed},
        {"Hwnd", kHwnd, VarType::kI4, kGet, Variant::I4(0), kComputed},
        {"ErrorStatus", kErrorStatus, VarType::kI2, kGet, Variant::I2(0), kComputed},
        {"ThumbArrayFileName", kThumbArrayFileName, VarType::kBstr, kGet, Variant::Bstr(u""), kComputed},
        {"ThumbArrayPathName", kThumbArrayPathName, VarType::kBstr, kGet, Variant::Bstr(u""), kComputed},
        {"ThumbArrayPage", kThumbArrayPage, VarType::kI2, kGet, Variant::I2(0), kComputed},
        Bool("Cancel", kCancel, false, 0, kPut),
        Text("Text", kText, u"", kNotify, kPut),
        {"ThumbArrayNum", kThumbArrayNum, VarType::kI2, kPut, Variant::I2(0), kComputed},
        Bool("EnableArrowKeys", kEnableArrowKeys, false, kStoredOnly, kPut),
        Text("PictureUpFile", kPictureUpFile, u"", kComputed, kPut),
        Text("PictureDownFile", kPictureDownFile, u"", kComputed, kPut),
        Bool("EnableOLEDrag", kEnableOLEDrag, false, kStoredOnly, kPut),
        {"MouseCursorType", kMouseCursorType, VarType::kI2, kPut, Variant::I2(0), kStoredOnly, 0, 17,
         OutOfRange::kRefuse},
        Text("MouseCursorFile", kMouseCursorFile, u"", kStoredOnly, kPut),
        {"SelectMouseCursorType", kSelectMouseCursorType, VarType::kI2, kPut, Variant::I2(0), kStoredOnly, 0, 17,
         OutOfRange::kRefuse},
        Text("SelectMouseCursorFile", kSelectMouseCursorFile, u"", kStoredOnly, kPut),
        {"ImageHandle", kImageHandle, VarType::kI4, kPut, Variant::I4(0), kComputed},
        Bool("UseSharedCache", kUseSharedCache, true),
    };
    const std::vector<ParamInfo> load = {{"PathName", VarType::kBstr}, {"FileName", VarType::kBstr},
                                         {"ImageNumber", VarType::kI2}, {"MaxImage", VarType::kI2}};
    std::vector<ParamInfo> select = load;
    for (const char* n : {"Left", "Top", "Right", "Bottom"}) select.push_back({n, VarType::kI2});
    const std::vector<ParamInfo> mouse = {{"Button", VarType::kI2}, {"Shift", VarType::kI2}, {"x", VarType::kI4},
                                          {"y", VarType::kI4}};
    const std::vector<ParamInfo> key = {{"KeyCode", VarType::kI2}, {"Shift", VarType::kI2}};
    c.methods = {
        {"About", kDispIdAbout, {}, VarType::kEmpty},
        {"GetFiles", kGetFiles, {}, VarType::kBool},
        {"Display", kDisplay, {}, VarType::kBool},
        {"Refresh", kRefresh, {}, VarType::kEmpty},
        {"Scroll", kScroll, {}, VarType::kBool},
        {"UpdateThumbnailFile", kUpdateThumbnailFile, {}, VarType::kEmpty},
        {"Clear", kClear, {}, VarType::kEmpty},
        {"IsSelected", kIsSelected, {{"Image", VarType::kI2}}, VarType::kBool},
        {"SelectImage", kSelectImage, {{"Image", VarType::kI2}}, VarType::kBool},
        {"DeSelectImage", kDeSelectImage, {{"Image", VarType::kI2}}, VarType::kBool},
        {"Delete", kDelete, {{"Image", VarType::kI2}}, VarType::kBool},
    };
    c.event_defs = {
        {"Click", kEventClick, {}},
        {"DblClick", kEventDblClick, {}},
        {"KeyDown", kEventKeyDown, key},
        {"KeyPress", kEventKeyPress, {{"KeyAscii", VarType::kI2}}},
        {"KeyUp", kEventKeyUp, key},
        {"MouseDown", kEventMouseDown, mouse},
        {"MouseMove", kEventMouseMove, mouse},
        {"MouseUp", kEventMouseUp, mouse},
        {"StartLoadFile", kEventStartLoadFile, load},
        {"EndLoadFile", kEventEndLoadFile, load},
        {"SelectFile", kEventSelectFile, select},
        {"MouseMoveOnThumb", kEventMouseMoveOnThumb, select},
        {"ShowThumbImage", kEventShowThumbImage, select},
        {"DropFileInThumb", kEventDropFileInThumb, {{"PathName", VarType::kBstr}, {"FileName", VarType::kBstr}}},
    };
    c.persisted = {kDispIdAppearance, kDispIdBackColor, kDispIdBorderVisible, kDispIdBorderColor, kForeColorUp,
                   kForeColorDown,
                   kDispIdBackColor,
                   kPictureUp, kPictureDown, kDispIdFont, kDispIdEnabled,
                   kColCount, kRowCount, kGapSize, kDispFileName, kFileExt, kScrollStep, kScrollBar, kScrollVH,
                   kEdgeSize, kReadMode, kStyle, kSort, kSortOrder, kSortDate, kEnableMouseWheel, kImageSize,
                   kEnableDragTarget, kEnableDragSource, kEnableMouseMoveButton, kEnableSelectMultiFiles, kButton3D,
                   kTextColor, kTextBackColor, kTextTransparent, kSelectTextColor, kSelectTextBackColor,
                   kSelectTextTransparent, kClearOnLoad, kEnableMove, kUseSharedCache};
    c.pages = {kPageClsid};
    c.about.product_line = u"Morvik7 Thumbnail ActiveX Control";
    c.about.maker_line = u"Osmund imaging suite";
    c.about.product_version = "1.0";
    c.about.file_version = "1.0.0.1";
    c.about.library_rows = {{u"libmv7com.so", u"1.0"},   {u"libmv7file.so", u"1.0"},  {u"libmv7scan.so", u"1.0"},
                            {u"libmv7print.so", u"1.0"}, {u"libmv7effect.so", u"1.0"}, {u"libmv7vectcom.so", u"1.0"},
                            {u"libmv7rastovect.so", u"1.0"}};
    c.about.home_page_ja = "https://example.jp/morvik7/";
    c.about.home_page_en = "https://example.com/morvik7/";
    c.Finish(kDispatchIid, "IMorvikThumb", kEventsIid, "_IMorvikThumbEvents");
    return c;
  }();
  return cls;
}

namespace {

PageField Check(int id, DispId prop, std::u16string ja, std::u16string en) {
  return {id, FieldKind::kCheck, prop, std::move(ja), std::move(en), {}, {}, {}, {}, false, false};
}
PageField List(int id, DispId prop, std::u16string ja, std::u16string en) {
  // The captions come from the control's value browsing.
  return {id, FieldKind::kList, prop, std::move(ja), std::move(en), {}, {}, {}, {}, false, false};
}
PageField Number(int id, DispId prop, std::u16string ja, std::u16string en, bool pixels) {
  return {id,  FieldKind::kNumber, prop, std::move(ja), std::move(en), {}, {}, pixels ? u"ﾋﾟｸｾﾙ" : u"",
          pixels ? u"pixels" : u"", false, false};
}

}  // namespace

const PageSpec& ThumbPageSpec() {
  static const PageSpec spec = [] {
    PageSpec s;
    s.clsid = kPageClsid;
    s.fields = {
        Check(120, kDispIdBorderVisible, u"境界の表示", u"BorderVisible"),
        List(121, kDispIdAppearance, u"表示スタイル（フラット、3D）", u"Appearance"),
        List(122, kStyle, u"表示スタイル（ボタン、フィルム）", u"Style"),
        Check(123, kButton3D, u"3Dボタン", u"Button3D"),
        Number(124, kGapSize, u"サムネイルイメージ間のサイズ", u"GapSize", true),
        Number(125, kEdgeSize, u"サムネイルの縁のサイズ", u"EdgeSize", true),
        Check(126, kScrollBar, u"スクロールバーの表示", u"ScrollBar"),
        List(127, kScrollVH, u"スクロールの方向", u"ScrollVH"),
        Number(128, kScrollStep, u"スクロール量", u"ScrollStep", false),
        List(129, kReadMode, u"読み込みモード", u"ReadMode"),
        Number(130, kImageSize, u"サムネイル画像のサイズ", u"ImageSize", true),
        Number(131, kRowCount, u"縦方向の数", u"RowCount", false),
        Number(132, kColCount, u"横方向の数", u"ColCount", false),
        {133, FieldKind::kText, kFileExt, u"ファイル拡張子", u"FileExt", {}, {}, {}, {}, false, false},
        List(134, kSort, u"ソート方法", u"Sort"),
        List(135, kSortOrder, u"ソート順", u"SortOrder"),
        List(143, kSortDate, u"ソート日付", u"SortDateMode"),
        Check(136, kDispFileName, u"ファイル名の表示", u"DispFileName"),
        Check(137, kEnableMouseWheel, u"マウスホイールを使う", u"EnableMouseWheel"),
        Check(138, kEnableDragSource, u"ドラッグ元にする", u"EnableDragSource"),
        Check(139, kEnableDragTarget, u"ドロップ先にする", u"EnableDragTarget"),
        Check(140, kEnableMouseMoveButton, u"マウス移動で選択", u"EnableMouseMoveButton"),
        Check(141, kEnableSelectMultiFiles, u"複数ファイルの選択", u"EnableSelectMultiFiles"),
        Check(177, kEnableMove, u"イメージの移動", u"EnableMoveImage"),
        Check(178, kClearOnLoad, u"表示前にクリア", u"ClearBeforeDisplaying"),
        Check(179, kUseSharedCache, u"共有サムネイルキャッシュを使う", u"UseSharedCache"),
    };
    s.apply_order = {120, 136, 126, 122, 127, 121, 129, 132, 131, 124, 125, 128, 133,
                     134, 135, 143, 137, 130, 138, 139, 140, 141, 123, 177, 178, 179};
    return s;
  }();
  return spec;
}

namespace {

HRESULT CreatePage(IUnknown* outer, const Guid& iid, void** out) {
  return CreatePropertyPage(ThumbPageSpec(), outer, iid, out);
}

}  // namespace

const ModuleInfo& ThumbModule() {
  static const ModuleInfo info = [] {
    ModuleInfo m;
    m.type_library = {kLibId, "MORVIK7THUMBLib", "1.0", "Morvik7 Thumbnail ActiveX Control"};
    m.classes.push_back({CMorvikThumb::Class().info, &CreateControl<CMorvikThumb>, {}});
    ClassInfo page;
    page.clsid = kPageClsid;
    page.prog_id = "Morvik7Thumb.MorvikThumbPrp.1";
    page.version_independent_prog_id = "Morvik7Thumb.MorvikThumbPrp";
    page.description = "MorvikThumbPrp Class";
    m.classes.push_back({page, &CreatePage, {}});
    return m;
  }();
  return info;
}

}  // namespace thumb

OSMUND_SERVER_EXPORTS(thumb::ThumbModule)
