#include "app/message_box_msg.h"

#include "common/message_ids.h"
#include "common/messages.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QString Caption(std::uint32_t id) {
    return QString::fromStdString(std::string(my::MessageText(id)));
}

} // namespace

void CMessageBoxMsg::ShowError(const CSimpleErr& err) {
    Show(err.m_text, Error);
}

bool CMessageBoxMsg::Show(const std::string& text, Style style) {
    QMessageBox box(QApplication::activeWindow());
    box.setText(QString::fromStdString(text));
    box.setWindowTitle(Caption(style == Error ? IDS_CAPTION_ERROR : IDS_CAPTION_CONFIRM));
    switch (style) {
    case Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case Question:
        box.setIcon(QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    }
    return box.exec() == QMessageBox::Ok;
}

CMsg::SaveAnswer CMessageBoxMsg::AskSave(const std::string& text) {
    QMessageBox box(QApplication::activeWindow());
    box.setText(QString::fromStdString(text));
    box.setWindowTitle(Caption(IDS_CAPTION_CONFIRM));
    box.setIcon(QMessageBox::Warning);
    box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return SaveAnswer::Save;
    case QMessageBox::Discard:
        return SaveAnswer::Discard;
    default:
        return SaveAnswer::Cancel;
    }
}
