#include "LimitWord.h"

namespace levyc {

namespace {

constexpr int ShownMs = 2000;

} // namespace

LimitWord::LimitWord(QObject *parent)
    : QObject(parent)
{
    timer_.setSingleShot(true);
    timer_.setInterval(ShownMs);
    connect(&timer_, &QTimer::timeout, this, &LimitWord::Clear);
}

void LimitWord::Reached(bool deeper)
{
    deepest_ = deeper;
    due_ = true;
    timer_.stop(); // counts from when its picture is on screen
    emit Changed();
}

void LimitWord::Clear()
{
    timer_.stop();
    due_ = false;
    emit Changed();
}

void LimitWord::OnScreen()
{
    if (due_ && !timer_.isActive()) {
        timer_.start();
    }
}

QString LimitWord::Text() const
{
    if (!due_) {
        return {};
    }
    return deepest_ ? tr("deepest") : tr("widest");
}

} // namespace levyc
