#include "private/CheckedFileDialog.h"

#include <QMessageBox>

namespace levyc {

CheckedFileDialog::CheckedFileDialog(QWidget *parent, const QString &title, const QString &folder,
                                     const QString &filters, Check check)
    : QFileDialog(parent, title, folder, filters)
    , check_(std::move(check))
{
}

void CheckedFileDialog::accept()
{
    const QStringList files = selectedFiles();
    const QString refused = files.isEmpty() ? QString() : check_(files.constFirst());
    if (refused.isEmpty()) {
        QFileDialog::accept();
        return;
    }
    QMessageBox box(QMessageBox::Warning, windowTitle(), refused, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("RefusedName"));
    box.exec();
}

} // namespace levyc
