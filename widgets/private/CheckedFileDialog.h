#pragma once

#include <QFileDialog>

#include <functional>

namespace levyc {

// A save's file dialog that refuses a name the save cannot honour, such as a
// film's ending for a picture, saying why and keeping the name to mend.
class CheckedFileDialog final : public QFileDialog
{
public:
    // `check` gives the reason a path is refused; empty when it is not.
    using Check = std::function<QString(const QString &path)>;

    CheckedFileDialog(QWidget *parent, const QString &title, const QString &folder, const QString &filters,
                      Check check);

    void accept() override;

private:
    Check check_;
};

} // namespace levyc
