#pragma once

#include <QFileIconProvider>
#include <QMimeDatabase>

namespace levyc {

// Icons and types for a file dialog, told from file names alone. Qt's own
// provider reads into each file to tell its type, and in /proc a file such
// as kmsg never answers: the dialog, and the window with it, would wait for ever.
class NameOnlyIconProvider final : public QFileIconProvider
{
public:
    NameOnlyIconProvider() = default;

    [[nodiscard]] QIcon icon(const QFileInfo &info) const override;
    using QFileIconProvider::icon;
    [[nodiscard]] QString type(const QFileInfo &info) const override;

private:
    QMimeDatabase mimeTypes_;
};

} // namespace levyc
