#pragma once
// SearchAnimation: a small running picture (a magnifier sweeping over a
// sheet) that tells the user the program is busy searching. It animates on
// its own timer while visible. GUI thread only.

#include <QBasicTimer>
#include <QWidget>

namespace lumex::app {

class SearchAnimation : public QWidget {
    Q_OBJECT
public:
    explicit SearchAnimation(QWidget* parent = nullptr);
    int Frame() const { return m_frame; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QBasicTimer m_timer;
    int m_frame = 0;
};

}  // namespace lumex::app
