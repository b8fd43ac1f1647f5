#pragma once
// TAboutBox: program name and version, and the version of the ECU read at
// the last connection ("DEMO" in demo mode). The main window fills it with
// its own caption and held texts, runs it modally and destroys it.
// GUI thread only.

#include <QDialog>

#include <memory>

namespace Ui {
class TAboutBox;
}

namespace lumex::app {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* owner = nullptr,
                       const QString& picture = QStringLiteral(":/pictures/about.bmp"));
    ~TAboutBox() override;

    // caption: the main window's caption; versionPrefix: "LabelVersione"
    // text; ecuVersion: the ECU line, already formed.
    void Fill(const QString& caption, const QString& versionPrefix, const QString& ecuVersion);

    QString ProductNameText() const;
    QString VersionText() const;
    QString EcuVersionText() const;
    int PictureLeft() const;

private:
    std::unique_ptr<Ui::TAboutBox> ui;
    QString m_layoutVersion;
};

}  // namespace lumex::app
