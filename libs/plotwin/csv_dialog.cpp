#include "csv_dialog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>

namespace plotwin {

bool SaveCsvWithDialog(QWidget* parent, QString* folder, const std::string& baseName,
                       const CsvSaver& save) {
    if (folder->isEmpty() || !QFileInfo(*folder).isDir()) {
        *folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        if (folder->isEmpty() || !QFileInfo(*folder).isDir()) *folder = QDir::homePath();
    }
    QFileDialog dialog(parent, QString::fromUtf8("CSV ファイルに保存"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({"CSV (*.csv)", QString::fromUtf8("すべてのファイル (*)")});
    dialog.setDefaultSuffix("csv");
    dialog.setDirectory(*folder);
    dialog.selectFile(QString::fromStdString(baseName) + "_" +
                      QDateTime::currentDateTime().toString("yyyyMMdd_HHmmss") + ".csv");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    const QString path = dialog.selectedFiles().first();
    *folder = QFileInfo(path).absolutePath();

    std::string error = "nothing to save";
    if (save && save(QFile::encodeName(path).toStdString(), &error)) return true;
    QMessageBox::warning(parent, parent ? parent->windowTitle() : QString(),
                         QString::fromUtf8("CSV ファイルを保存できませんでした。\n%1\n%2")
                             .arg(path, QString::fromStdString(error)));
    return false;
}

}  // namespace plotwin
