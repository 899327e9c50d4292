// File: editor/picture_edit/file_rules/messages.h
//
// The editing control's messages: the sentence for each status code of the
// imaging control, and the control's own texts.  Every box goes through the
// platform prompt (OK only, the program's title), so tests script it.
//
//   if (!io.SaveFile(type, handle)) ShowImagingError(view.ErrorCode(), this);
//   platform::ShowMessage(kCopyAsNewFailed, this);
#pragma once

#include <QString>
#include <cstdint>

class QWidget;

namespace ruvel::file_rules {

inline constexpr const char kAskSaveChanges[] = "現在の画像の変更を保存しますか";
inline constexpr const char kCopyAsNewFailed[] = "複写して新規できませんでした";
inline constexpr const char kReduceNeedsRange[] = "先に範囲を指定し､そのｻｲｽﾞに合わせて縮小します";
inline constexpr const char kEffectNeedsDepth[] = "ｴﾌｪｸﾄ処理は 24Bit Color 以上必要です";
inline constexpr const char kBadViewWord[] = "Err pcView";
inline constexpr const char kBadStoredView[] = "Err GetPram";
inline constexpr const char kOtherImagingError[] = "その他のｴﾗｰが発生しました";
// The clipboard holds nothing that can become a picture.
inline constexpr const char kClipboardHasNoPicture[] = "ｸﾘｯﾌﾟﾎﾞｰﾄﾞに画像がありません";
// The clipboard holds only a vector picture and no vector viewer is there.
inline constexpr const char kClipboardVectorNotOpened[] = "ｸﾘｯﾌﾟﾎﾞｰﾄﾞのﾍﾞｸﾀｰ画像は開けません";
// The screen or window could not be grabbed.
inline constexpr const char kCaptureFailed[] = "画面を取り込めませんでした";

// MissingExtensionMessage(): the note shown when a save name had no
// extension and `extension` was used.
QString MissingExtensionMessage(const QString& extension);

// ImagingErrorMessage(): the sentence for an imaging status code; "" for 0
// and 1 (success), kOtherImagingError for codes without a sentence of their
// own (2, 25..100, above 110, negative).
QString ImagingErrorMessage(int code);

// ShowImagingError(): shows ImagingErrorMessage(code) in an OK box over
// `parent`; nothing for 0 and 1.  Returns whether a box was shown.
bool ShowImagingError(int16_t code, QWidget* parent = nullptr);

}  // namespace ruvel::file_rules
