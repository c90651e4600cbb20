#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

namespace levyc {

// "deepest" or "widest" on the overlay after a zoom stopped at a limit. It
// stays two seconds with the picture it is about, however long that took to
// render.
class LimitWord final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LimitWord)

public:
    explicit LimitWord(QObject *parent = nullptr);
    ~LimitWord() override = default;

    void Reached(bool deeper);
    void Clear();
    // The picture it is about is on screen: its two seconds run from now.
    void OnScreen();
    // The word while it is due; empty otherwise.
    [[nodiscard]] QString Text() const;

signals:
    void Changed();

private:
    QTimer timer_;
    bool deepest_ = false;
    bool due_ = false;
};

} // namespace levyc
