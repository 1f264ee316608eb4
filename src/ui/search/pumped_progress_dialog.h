#pragma once

#include "engine/search/progress.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QProgressBar;

namespace dw::ui {

// A small progress window for work that runs on the GUI thread itself: every
// text change and step runs the event loop once, so the window repaints and
// its Cancel button works while the work goes on.
class PumpedProgressDialog : public QDialog {
    Q_OBJECT
public:
    PumpedProgressDialog(QWidget* owner, const QString& title);
    ~PumpedProgressDialog() override;

    void setRange(int lower, int upper);
    void setText(const QString& text);
    // Runs waiting events, then advances the bar by one.
    void stepPumped();
    // Runs waiting events; returns the cancel request and clears it.
    bool pump();

    // The engine's view of this window: texts pump, cancel is the button.
    dw::Progress& progress();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    class EngineSide;
    std::unique_ptr<EngineSide> engine_;
    QPointer<QWidget> owner_;
    QLabel* text_;
    QProgressBar* bar_;
    bool cancelRequested_ = false;
};

}  // namespace dw::ui
