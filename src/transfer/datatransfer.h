#pragma once

#include <QString>
#include <functional>

class AppContext;
class QWidget;

// File > Export Data... and File > Import Data...: the windows of the export
// and import of the whole log (LogExport, LogImport), which do the work.
namespace DataTransfer {

// What to export (ExportDialog), then where (a file dialog); then the
// export, and a box that says how it went.
void exportData(AppContext& context, QWidget* parent);

// The export to import (a file dialog: a JSON document, or any CSV file of a
// CSV export), its preview for the user to confirm, then the import and a
// box that says how it went. reload reads the database into the windows
// again once something was added.
void importData(AppContext& context, QWidget* parent, const std::function<bool()>& reload);

// The same from the file or folder at path, without the file dialog.
void importFrom(AppContext& context, const QString& path, const std::function<bool()>& reload);

} // namespace DataTransfer
