// replaced by urve_open_save.cpp
#include "editor/picture_edit/urve.h"

namespace ruvel {

int32_t uRvE::vCheckSave() { return 0; }
void uRvE::pcOpen(int16_t, QString&, bool) {}
void uRvE::pcSaveAs(QString&, bool, bool) {}
void uRvE::LoadFromFile(QString, bool, bool) {}
bool uRvE::SaveCore(int16_t, QString&, bool, bool) { return false; }
int16_t uRvE::FileTypeCode(const QString&) { return 0; }
void uRvE::OpenVectorPicture(const QString&) {}
void uRvE::CopyAsNew() {}
void uRvE::NumberedSave() {}
void uRvE::NewPicture() {}
void uRvE::AskJpegQuality() {}
void uRvE::ShowImagingError() {}

}  // namespace ruvel
