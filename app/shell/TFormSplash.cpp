#include "TFormSplash.h"

#include "LegacyLook.h"
#include "TModuloLingua.h"
#include "ToolWindowFactory.h"
#include "ui_TFormSplash.h"

#include <QAction>
#include <QBitmap>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QToolButton>

namespace lumex::app {

namespace {
constexpr int kButtonSize = 50;
constexpr int kNoPicture = -2;
}

TFormSplash::TFormSplash(QWidget* owner, const QString& picture)
    : QDialog(owner, Qt::FramelessWindowHint | Qt::Dialog), ui(std::make_unique<Ui::TFormSplash>()) {
    ui->setupUi(this);
    EnsureResources();
    SetTag(this, 0);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    ui->LabelAvvio->setFont(LegacyFont(Face::DialogSans, 13));
    ui->ToolBarLingue->setStyleSheet(QStringLiteral(
        "QToolBar { border-top: 1px solid gray; border-bottom: 1px solid gray; }"));

    const QPixmap image(picture);
    if (!image.isNull()) {
        ui->ImageSplash->setPixmap(image);
        ui->ImageSplash->setGeometry(0, 0, image.width(), image.height());
        resize(image.width(), height());
    }
    const int barTop = image.isNull() ? 0 : image.height();
    ui->ToolBarLingue->setGeometry(0, barTop, width(), ui->ToolBarLingue->height());
}

TFormSplash::~TFormSplash() = default;

QToolButton* TFormSplash::AddLanguageButton(QAction* item, int position,
                                            const QString& mainFolder) {
    auto* button = new QToolButton(ui->ToolBarLingue);
    button->setFixedSize(kButtonSize, kButtonSize);
    button->setObjectName(item->objectName() + QString::number(position));
    SetTag(button, position);
    button->setToolTip(WithoutFirstAmpersand(item->text()));
    button->setIconSize(QSize(36, 36));
    button->setAutoRaise(true);

    const QString path = mainFolder + QStringLiteral("/immagini/") + item->objectName() +
                         QStringLiteral(".bmp");
    const QImage image(path);
    int imageIndex = kNoPicture;
    if (!image.isNull()) {
        QPixmap picture = QPixmap::fromImage(image);
        // The top-left pixel's colour is the picture's see-through colour.
        picture.setMask(picture.createMaskFromColor(QColor(image.pixel(0, 0)), Qt::MaskInColor));
        imageIndex = int(ImageList1.size());
        ImageList1.push_back(picture);
        button->setIcon(QIcon(picture));
    }
    button->setProperty("ImageIndex", imageIndex);

    connect(button, &QToolButton::clicked, this, [this, position] {
        SetTag(this, position);
        close();
    });
    ui->ToolBarLingue->addWidget(button);
    m_buttons.push_back(button);
    return button;
}

void TFormSplash::SetStartText(const QString& text) { ui->LabelAvvio->setText(text); }
QString TFormSplash::StartText() const { return ui->LabelAvvio->text(); }

void TFormSplash::StretchStartText() {
    const QRect g = ui->LabelAvvio->geometry();
    ui->LabelAvvio->setGeometry(0, g.y(), width(), g.height());
}

int TFormSplash::Tag() const { return TagOf(this); }

QList<QToolButton*> TFormSplash::LanguageButtons() const {
    return m_buttons;
}

int TFormSplash::ImageIndexOf(const QToolButton* button) {
    return button->property("ImageIndex").toInt();
}

void TFormSplash::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        SetTag(this, -1);
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace lumex::app
