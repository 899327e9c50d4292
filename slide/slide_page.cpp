#include "slide/slide_page.h"

#include "slide/slide_ids.h"

namespace slide {

using namespace hosting;

namespace {

struct Captions {
  DispId id;
  std::vector<std::u16string> ja;
  std::vector<std::u16string> en;
};

const std::vector<Captions>& AllCaptions() {
  static const std::vector<Captions> all = {
      {kScrollDir,
       {u"0 - 通常", u"1 - 左←右", u"2 - 左→右", u"3 - 上→下", u"4 - 上←下"},
       {u"0 - Normal", u"1 - RightToLeft", u"2 - LeftToRight", u"3 - TopToBottom", u"4 - BottomToTop"}},
      {kFileReadWay,
       {u"0 - ｽﾗｲﾄﾞﾌｧｲﾙ", u"1 - ﾌｫﾙﾀﾞ", u"2 - ﾌｫﾙﾀﾞ(ﾏﾙﾁｲﾒｰｼﾞ対応)"},
       {u"0 - Slide file", u"1 - Folder", u"2 - Folder (multi-image)"}},
      {kSortDate,
       {u"0 - 作成日時", u"1 - 更新日時", u"2 - アクセス日時"},
       {u"0 - Created Date", u"1 - Modified Date", u"2 - Accessed Date"}},
      {kAppearance, {u"0 - ﾌﾗｯﾄ", u"1 - Lowered", u"2 - 凸"}, {u"0 - Flat", u"1 - Lowered", u"2 - Raised"}},
      {kSort,
       {u"0 - なし", u"1 - ﾌｧｲﾙ名順", u"2 - 日付順", u"3 - ﾌｧｲﾙ拡張子 + ﾌｧｲﾙ名順", u"4 - ﾌｧｲﾙ拡張子 + 日付順",
        u"5 - ﾃﾞｨﾚｸﾄﾘ + ﾌｧｲﾙ名順", u"6 - ﾃﾞｨﾚｸﾄﾘ + 日付順", u"7 - ﾃﾞｨﾚｸﾄﾘ + ﾌｧｲﾙ拡張子+ﾌｧｲﾙ名順",
        u"8 - ﾃﾞｨﾚｸﾄﾘ + ﾌｧｲﾙ拡張子+日付順"},
       {u"0 - None", u"1 - File name", u"2 - Date", u"3 - File extension + File name", u"4 - File extension + Date",
        u"5 - Directory + File name", u"6 - Directory + Date", u"7 - Directory + File extension + File name",
        u"8 - Directory + File extension + Date"}},
      {kSortOrder, {u"0 - 昇順", u"1 - 降順"}, {u"0 - Increasing order", u"1 - Decreasing order"}},
  };
  return all;
}

const Captions& Of(DispId id) {
  static const Captions none{0, {}, {}};
  for (const Captions& c : AllCaptions())
    if (c.id == id) return c;
  return none;
}

}  // namespace

const std::vector<std::u16string>& ValueCaptions(DispId id, bool japanese) {
  return japanese ? Of(id).ja : Of(id).en;
}

const PageSpec& SlidePageSpec() {
  static const PageSpec spec = [] {
    PageSpec s;
    s.clsid = kPageClsid;
    auto list = [](int cid, DispId id, std::u16string ja, std::u16string en, bool sorted = false) {
      return PageField{cid, FieldKind::kList, id, std::move(ja), std::move(en), Of(id).ja, Of(id).en, {}, {}, false,
                       sorted};
    };
    s.fields = {
        list(119, kAppearance, u"表示スタイル", u"Appearance"),
        {120, FieldKind::kCheck, kBorderVisible, u"境界の表示", u"BorderVisible", {}, {}, {}, {}, false, false},
        {121, FieldKind::kNumber, kIntervalTime, u"インタバルタイマ", u"IntervalTime", {}, {}, u"秒", u"Sec", true,
         false},
        list(122, kScrollDir, u"スクロールの方向", u"ScrollDir"),
        {123, FieldKind::kNumber, kScrollSize, u"スクロール量", u"ScrollSize", {}, {}, u"Pixels", u"Pixels", true,
         false},
        list(124, kFileReadWay, u"ファイル指定方法", u"FileReadWay", true),
        {125, FieldKind::kText, kFileExt, u"ファイル拡張子", u"FileExt", {}, {}, {}, {}, false, false},
        list(126, kSort, u"ソート", u"Sort"),
        list(127, kSortOrder, u"ソート順", u"SortOrder"),
    };
    s.apply_order = {119, 120, 121, 122, 123, 124, 125, 126, 127};
    return s;
  }();
  return spec;
}

}  // namespace slide
