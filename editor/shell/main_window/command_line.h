// File: editor/shell/main_window/command_line.h
//
// The picture named on the editor's command line.
//
//   QString picture = ruvel::PicturePathFromArguments(app.arguments());
#pragma once

#include <QString>
#include <QStringList>

namespace ruvel {

// PicturePathFromArguments(): the arguments after the program, joined by
// spaces as one command-line text, with every double quote removed and cut
// at the first TAB, as an absolute path; "" unless that names an existing
// file.
QString PicturePathFromArguments(const QStringList& arguments);

}  // namespace ruvel
