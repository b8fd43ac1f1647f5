#include "TFormAttesa.h"

#include "LegacyLook.h"
#include "LinkEvent.h"
#include "ui_TFormAttesa.h"

#include <QCoreApplication>

#include <algorithm>

namespace lumex::app {

TFormAttesa::TFormAttesa(QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui(std::make_unique<Ui::TFormAttesa>()) {
    ui->setupUi(this);
    setFixedSize(size());
    ui->Label1->setFont(LegacyFont(Face::DialogSans, 15));
    QPalette black = ui->Label1->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    ui->Label1->setPalette(black);
    ui->Button1->hide();
}

TFormAttesa::~TFormAttesa() = default;

void TFormAttesa::SetMessage(const QString& text) { ui->Label1->setText(text); }

int TFormAttesa::Position() const { return ui->ProgressBar1->value(); }

QString TFormAttesa::ProgressLine() const { return ui->Label2->text(); }

void TFormAttesa::ApplyProgress(int amount, bool relative) {
    const int wanted = relative ? Position() + amount : amount;
    ui->ProgressBar1->setValue(std::clamp(wanted, ui->ProgressBar1->minimum(),
                                          ui->ProgressBar1->maximum()));
    ui->Label2->setText(QString::number(Position()) + QStringLiteral("% ") + ProgressSuffix);
    repaint();
}

bool TFormAttesa::event(QEvent* event) {
    if (event->type() == LinkEvent::ProgressType()) {
        const auto* message = static_cast<LinkEvent*>(event);
        ApplyProgress(int(message->wParam()), message->lParam() != 0);
        return true;
    }
    if (event->type() == LinkEvent::StateType() && parentWidget()) {
        // The connection comes up while this window is the active one; the
        // owner keeps the connection display.
        QCoreApplication::sendEvent(parentWidget(), event);
        return true;
    }
    return QDialog::event(event);
}

}  // namespace lumex::app
