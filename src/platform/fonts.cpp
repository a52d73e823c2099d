#include "fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

void RegisterFontSubstitutions() {
    static const char* const kCandidates[] = {
        "IPAGothic",        "IPAexGothic", "Noto Sans Mono CJK JP",
        "Noto Sans CJK JP", "VL Gothic",   "TakaoGothic"};
    const QStringList installed = QFontDatabase::families();
    QStringList present;
    for (const char* family : kCandidates) {
        if (installed.contains(QString::fromUtf8(family), Qt::CaseInsensitive)) {
            present << QString::fromUtf8(family);
        }
    }
    if (present.isEmpty()) return;
    for (const char* face : {kFaceMsGothic, "MS Gothic", kFaceMsUiGothic}) {
        QFont::insertSubstitutions(QString::fromUtf8(face), present);
    }
}
