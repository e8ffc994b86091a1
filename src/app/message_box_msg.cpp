#include "app/message_box_msg.h"

#include "common/message_ids.h"
#include "common/messages.h"

#include <QApplication>
#include <QMessageBox>

void CMessageBoxMsg::ShowError(const CSimpleErr& err) {
    Show(err.m_text, Error);
}

bool CMessageBoxMsg::Show(const std::string& text, Style style) {
    const auto caption = [](std::uint32_t id) {
        return QString::fromStdString(std::string(my::MessageText(id)));
    };
    QMessageBox box(QApplication::activeWindow());
    box.setText(QString::fromStdString(text));
    box.setWindowTitle(caption(style == Error ? IDS_CAPTION_ERROR : IDS_CAPTION_CONFIRM));
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
