#pragma once

#include "DrawCommands.h"
#include "Plotter.h"

#include <QWidget>

class PictureBox;

// The program's only window: the picture area and, beside it, Draw and Stop
// and two labelled text fields, placed as on the original 96-dpi form.
class Form1 final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form1)

public:
    explicit Form1(QWidget *parent = nullptr);

    // Picture1's place on the form, in pixels.
    static QRect Picture1Geometry();
    ~Form1() override;

    [[nodiscard]] const Plotter &plotter() const { return plotter_; }
    [[nodiscard]] const DrawCommands &commands() const { return commands_; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void Command1_Click();
    void Command3_Click();

    PictureBox *Picture1;
    Plotter plotter_;
    DrawCommands commands_;
    bool closeWhenIdle_ = false;
};
