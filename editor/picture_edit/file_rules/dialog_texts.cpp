#include "editor/picture_edit/file_rules/dialog_texts.h"

namespace ruvel::file_rules {

platform::FileDialogRequest OpenDialogRequest(const QString& start_folder) {
  platform::FileDialogRequest req;
  req.title = kOpenDialogTitle;
  req.filter = kOpenDialogFilter;
  req.filter_index = 1;
  req.start_folder = start_folder;
  req.save = false;
  return req;
}

}  // namespace ruvel::file_rules
