#include "GoToViewDialog.h"

#include "PictureBox.h"
#include "views/SharedView.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <algorithm>

namespace levyc {

namespace {

// A line may break after a hyphen: "--window" would be split from its name.
// A word joiner after each hyphen that starts or joins a word keeps it whole.
QString KeptWhole(QString text)
{
    static const QRegularExpression inWord(QStringLiteral("(?<=-)(?=[-\\w])"));
    return text.replace(inWord, QString(QChar(0x2060)));
}

} // namespace

GoToViewDialog::GoToViewDialog(PictureBox *picture, QWidget *parent)
    : QDialog(parent)
    , picture_(picture)
    , prompt_(new QLabel(this))
    , text_(new QLineEdit(this))
    , error_(new QLabel(this))
{
    setObjectName(QStringLiteral("GoToView"));
    prompt_->setObjectName(QStringLiteral("ViewPrompt"));
    text_->setObjectName(QStringLiteral("ViewText"));
    error_->setObjectName(QStringLiteral("ViewError"));
    prompt_->setWordWrap(true);
    prompt_->setBuddy(text_);
    error_->setWordWrap(true);
    error_->setTextFormat(Qt::PlainText);
    error_->hide();
    // Where the picture is now, ready to be typed over or pasted on.
    text_->setText(WindowLine(picture->View(), picture->ImageSize()));
    text_->selectAll();
    text_->setMinimumWidth(text_->fontMetrics().horizontalAdvance(text_->text()) / 2);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &GoToViewDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &GoToViewDialog::reject);
    connect(text_, &QLineEdit::textEdited, error_, &QLabel::hide);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(prompt_);
    layout->addWidget(text_);
    layout->addWidget(error_);
    layout->addWidget(buttons);
    Retranslate();
}

void GoToViewDialog::Open(PictureBox *picture, QWidget *parent)
{
    if (auto *open = parent->findChild<GoToViewDialog *>(QString(), Qt::FindDirectChildrenOnly)) {
        open->raise();
        open->activateWindow();
        return;
    }
    auto *dialog = new GoToViewDialog(picture, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Not exec(): no event loop of its own under the menu's handler.
    dialog->open();
}

void GoToViewDialog::Retranslate()
{
    setWindowTitle(tr("Go to View"));
    prompt_->setText(KeptWhole(tr("&View, as Copy View gives it: --window X1,Y1,X2,Y2 or --centre X,Y --zoom Z, "
                                  "with --size WxH or without")));
}

void GoToViewDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        Retranslate();
    }
    QDialog::changeEvent(event);
}

void GoToViewDialog::accept()
{
    if (!picture_->Exploring()) {
        QDialog::reject(); // a Draw began: there is nothing to go to
        return;
    }
    const ParsedView view = ViewToShow(text_->text(), picture_->View(), picture_->ImageSize());
    if (!view.error.isEmpty()) {
        error_->setText(KeptWhole(tr("Not a view: %1").arg(view.error)));
        error_->show();
        // Taller, so that every line of the prompt and the reason shows at this width.
        layout()->activate();
        resize(width(), std::max(height(), layout()->totalHeightForWidth(width())));
        text_->setFocus();
        return;
    }
    picture_->SetView(view.window);
    QDialog::accept();
}

} // namespace levyc
