// The user's side of the CSV export: a save dialog proposing a file name, the save itself
// through the caller, and a message box when it fails.
#pragma once

#include <QString>
#include <functional>
#include <string>

class QWidget;

namespace plotwin {

using CsvSaver = std::function<bool(const std::string& path, std::string* error)>;

// Asks for a file name (in *folder, as baseName, the time and ".csv") and hands it to save. A
// failure (or a missing save) is reported in a message box naming the file and the reason.
// *folder becomes the folder chosen, to be proposed next time; an empty one starts in the
// user's documents. Returns true when a file was saved.
bool SaveCsvWithDialog(QWidget* parent, QString* folder, const std::string& baseName,
                       const CsvSaver& save);

}  // namespace plotwin
