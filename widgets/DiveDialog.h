#pragma once

#include "engine/JobRunner.h"
#include "engine/Thumbnails.h"
#include "engine/ViewRenderThread.h"
#include "video/DiveChoices.h"
#include "video/DiveEstimate.h"

#include <QDialog>

class QComboBox;
class QDialogButtonBox;
class QDoubleSpinBox;
class QFormLayout;
class QLabel;
class QPushButton;
class QSpinBox;

namespace levyc {

class KeyframeList;

// Shapes a dive before Save Dive… asks for its file: length, frames a
// second, size, format and quality, and the views it passes, with what it
// may cost in time and bytes, measured on a few of its frames off the
// window's thread.
class DiveDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DiveDialog)

public:
    // `picture`: the picture's size; `view`: the view on screen, where the
    // dive ends by default; `visited`: the views visited, in order;
    // `bookmarks`: views kept to add; `curves`: what the dive draws.
    // `noVideo`: why MP4 and WebM cannot be made, empty when they can.
    DiveDialog(const DiveChoices &choices, QSize picture, const WorldWindow &view, std::vector<WorldWindow> visited,
               std::vector<ListedView> bookmarks, SharedCurves curves, QString noVideo, QWidget *parent);
    ~DiveDialog() override = default;

    // What exec() returns when Play was pressed: the choices are to be
    // watched in the picture, not saved.
    static constexpr int Played = 2;

    // What is chosen; the views only once the user has changed them.
    [[nodiscard]] DiveChoices Choices() const;
    // What the choices may cost; none while they make no dive, or while it
    // is being measured.
    [[nodiscard]] std::optional<DiveEstimate> Estimate() const;

protected:
    void changeEvent(QEvent *event) override;

private:
    // Why the choices make no dive, in the current language; empty when they make one.
    [[nodiscard]] QString Problem() const;
    // The fields as `choices` have them.
    void ShowChoices(const DiveChoices &choices);
    // The fields' labels, the estimate and the buttons, in their places.
    void LayOut();
    // The estimate, or the problem, and whether Save… can be pressed.
    void Update();
    // Measures the dive unless it is the one measured or being measured.
    void Measure(const Dive &dive);
    void Retranslate();

    QSize picture_;
    WorldWindow view_;
    std::vector<WorldWindow> visited_;
    bool keyframesChosen_; // the views are the user's, not the default ones
    QFormLayout *form_;
    QDoubleSpinBox *seconds_;
    QSpinBox *fps_;
    QComboBox *size_;
    QComboBox *format_;
    QSpinBox *quality_;
    SharedCurves curves_;
    Thumbnails thumbnails_;
    KeyframeList *keyframes_;
    QLabel *estimate_;
    QDialogButtonBox *buttons_;
    QPushButton *play_;
    QString noVideo_;
    std::optional<Dive> measuring_; // the dive whose estimate is coming or came
    std::optional<DiveEstimate> measured_;
    QString unmeasured_; // why it could not be measured
    JobRunner measure_;
};

} // namespace levyc
