#include "TAboutBox.h"

#include "LegacyLook.h"
#include "ui_TAboutBox.h"

#include <QPixmap>

namespace lumex::app {

TAboutBox::TAboutBox(QWidget* owner, const QString& picture)
    : QDialog(owner), ui(std::make_unique<Ui::TAboutBox>()) {
    ui->setupUi(this);
    EnsureResources();
    setFixedSize(size());
    m_layoutVersion = ui->Version->text();
    QFont bold = ui->ProductName->font();
    bold.setBold(true);
    ui->ProductName->setFont(bold);
    connect(ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);

    const QPixmap image(picture);
    if (!image.isNull()) {
        ui->ImageAbout->setPixmap(image);
        ui->ImageAbout->resize(image.size());
    }
    const int left = (ui->Panel1->width() - ui->ImageAbout->width()) / 2;
    ui->ImageAbout->move(left, ui->ImageAbout->y());
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::Fill(const QString& caption, const QString& versionPrefix,
                     const QString& ecuVersion) {
    setWindowTitle(caption);
    ui->ProductName->setText(caption);
    ui->Version->setText(versionPrefix + QLatin1Char(' ') + m_layoutVersion);
    ui->LabelVersioneCpu->setText(ecuVersion);
}

QString TAboutBox::ProductNameText() const { return ui->ProductName->text(); }
QString TAboutBox::VersionText() const { return ui->Version->text(); }
QString TAboutBox::EcuVersionText() const { return ui->LabelVersioneCpu->text(); }
int TAboutBox::PictureLeft() const { return ui->ImageAbout->x(); }

}  // namespace lumex::app
