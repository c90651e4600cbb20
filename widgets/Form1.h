#pragma once

#include "DrawCommands.h"
#include "PictureBox.h"
#include "Plotter.h"

#include <QWidget>

namespace levyc {

// The program's only window: the picture area and, beside it, Draw and Stop
// and two labelled text fields, laid out in twips at 15 to the pixel.
class Form1 final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form1)

public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    // Whether a drawing runs, nested ones included.
    [[nodiscard]] bool Drawing() const { return commands_.Running(); }

    // Writes the picture as it stands to a PNG file, or, for a name ending in
    // .webp, the last Draw as an animated WebP at the picture's size and view
    // (before any Draw, the picture as a still WebP).
    // On failure a message box gives the system's reason and the file is left
    // as it was; a save cancelled from its progress dialog leaves it too.
    bool SavePictureTo(const QString &path);
    // Writes a dive from the Draw's view to the view on screen, at the
    // picture's size, as MP4, WebM or WebP by the name's ending; failures and
    // a cancel as for SavePictureTo.
    bool SaveDiveTo(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Draw, run by a press of Command1.
    void Command1_Click();
    // Stop, run by a press of Command3.
    void Command3_Click();
    // Asks for a file name, then saves the picture there.
    void SaveAs();
    // Asks for a file name, then saves a dive there.
    void SaveDive();
    // Says why a save failed, in a message box.
    void ShowSaveError(const QString &error);
    // The last Draw's animation; false with the reason, or with none when cancelled.
    bool MakeAnimation(QByteArray *webp, QString *error);
    // Tooltips and accessible names and descriptions, in the current language.
    void Retranslate();

    // The picture area.
    PictureBox *Picture1;
    Plotter<PictureBox> plotter_;
    DrawCommands<PictureBox> commands_;
    bool closeWhenIdle_ = false;
    bool everDrawn_ = false; // until the first Draw the picture is the background
    QString saveDirectory_;  // where the last save that worked went
};

} // namespace levyc
