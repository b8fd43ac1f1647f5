#include "Seams.h"

#include "AppGlobals.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QThread>

namespace lumex::app {

namespace {
ScopedSeams* g_active = nullptr;
}

ScopedSeams::ScopedSeams() : m_previous(g_active) { g_active = this; }
ScopedSeams::~ScopedSeams() { g_active = m_previous; }

int ShowMessage(QWidget* parent, const QString& text, const QString& caption,
                QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                QMessageBox::StandardButton defaultButton) {
    if (g_active) {
        g_active->m_messages.push_back({text, caption, icon, buttons, defaultButton});
        if (g_active->onMessage) {
            const MessageRecord shown = g_active->m_messages.back();
            g_active->onMessage(shown);
        }
        if (!g_active->m_answers.empty()) {
            const auto answer = g_active->m_answers.front();
            g_active->m_answers.erase(g_active->m_answers.begin());
            return answer;
        }
        return defaultButton != QMessageBox::NoButton ? defaultButton : QMessageBox::Ok;
    }
    QMessageBox box(icon, caption, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return box.exec();
}

void Beep() {
    if (g_active) {
        ++g_active->m_beeps;
        return;
    }
    QApplication::beep();
}

int RunModal(QDialog& dialog) {
    if (g_active) {
        g_active->m_modalRuns.push_back(dialog.objectName());
        return g_active->onModal ? g_active->onModal(dialog) : int(QDialog::Rejected);
    }
    return dialog.exec();
}

QString RunFileDialog(QWidget* parent, const FileDialogRequest& request) {
    if (g_active) {
        g_active->m_fileDialogs.push_back(request);
        return g_active->onFileDialog ? g_active->onFileDialog(request) : QString();
    }
    QFileDialog dialog(parent, QString(), request.folder, request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (request.kind == FileDialogKind::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        // Qt asks before overwriting unless told otherwise.
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void RequestTermination() {
    App().terminationRequested = true;
    if (g_active) {
        ++g_active->m_terminations;
        return;
    }
    // Before the main loop runs there is nothing to quit: start-up reads the
    // flag instead. Inside it (or a nested modal loop) quitting ends them all.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::quit();
}

}  // namespace lumex::app
