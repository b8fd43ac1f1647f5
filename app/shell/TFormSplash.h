#pragma once
// TFormSplash: the start-up picture on which the user picks the language,
// one picture button per dictionary language. The main window adds the
// buttons, sets the start text, runs it modally and reads its Tag: the
// chosen language position, -1 after Enter, 0 when closed otherwise.
//
// Modal, owned by the main window. GUI thread only.

#include <QDialog>
#include <QList>
#include <QPixmap>

#include <memory>

class QAction;
class QToolButton;

namespace Ui {
class TFormSplash;
}

namespace lumex::app {

class TFormSplash : public QDialog {
    Q_OBJECT
public:
    // Loads the picture (a failure leaves it empty) and sizes the window and
    // the button bar after it.
    explicit TFormSplash(QWidget* owner = nullptr,
                         const QString& picture = QStringLiteral(":/pictures/splash.bmp"));
    ~TFormSplash() override;

    // Adds the button of the language item at position i; its picture is
    // mainFolder/immagini/<item name>.bmp.
    QToolButton* AddLanguageButton(QAction* item, int position, const QString& mainFolder);
    void SetStartText(const QString& text);
    QString StartText() const;
    // The start text line spans the whole window.
    void StretchStartText();

    int Tag() const;
    QList<QToolButton*> LanguageButtons() const;
    // The image list position a button shows (-2: its picture did not load).
    static int ImageIndexOf(const QToolButton* button);

    QList<QPixmap> ImageList1;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::TFormSplash> ui;
    QList<QToolButton*> m_buttons;
};

}  // namespace lumex::app
