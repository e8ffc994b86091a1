#include "app/qt_shell.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>

namespace mrv {

namespace {

QString Text(std::uint32_t id) {
    return QString::fromStdString(std::string(my::MessageText(id)));
}

QString ProjectFilter() {
    return Text(IDS_PROJECT_FILE_TYPE) + QStringLiteral(" (*.mrva)");
}

QString XmlFilter() {
    return QStringLiteral("XML (*.xml)");
}

void OpenLocal(const QString& path) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        throw my::CException(IDS_OPEN_FAILED, path.toStdString());
    }
}

} // namespace

std::string AppendFilterExtension(const std::string& path, int filterIndex) {
    const QFileInfo info(QString::fromStdString(path));
    if (!info.suffix().isEmpty()) {
        return path;
    }
    return path + (filterIndex == 1 ? ".xml" : ".mrva");
}

std::string CQtShell::GetOpenProjectPath(const std::string& start) {
    const QStringList filters{Text(IDS_FILTER_ALL_TYPES) + QStringLiteral(" (*.mrva *.xml)"),
                              ProjectFilter(), XmlFilter(),
                              Text(IDS_FILTER_ALL_FILES) + QStringLiteral(" (*.*) (*)")};
    return QFileDialog::getOpenFileName(m_owner, QString(), QString::fromStdString(start),
                                        filters.join(QStringLiteral(";;")))
        .toStdString();
}

std::string CQtShell::GetSaveProjectPath(const std::string& start) {
    const QStringList filters{ProjectFilter(), XmlFilter()};
    QString selected;
    // The dialog asks no overwrite question of its own; the command asks after the
    // extension was added.
    const QString path = QFileDialog::getSaveFileName(
        m_owner, QString(), QString::fromStdString(start), filters.join(QStringLiteral(";;")),
        &selected, QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty()) {
        return {};
    }
    return AppendFilterExtension(path.toStdString(), filters.indexOf(selected));
}

std::string CQtShell::GetOpenStrokePath(const std::string& start) {
    return QFileDialog::getOpenFileName(m_owner, QString(), QString::fromStdString(start),
                                        Text(IDS_STROKE_FILE_TYPE) + QStringLiteral(" (*.strk)"))
        .toStdString();
}

std::string CQtShell::GetFolder(const std::string& start) {
    return QFileDialog::getExistingDirectory(m_owner, QString(), QString::fromStdString(start))
        .toStdString();
}

void CQtShell::ShowInFileBrowser(const std::string& path) {
    const QString file = QFileInfo(QString::fromStdString(path)).absoluteFilePath();
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString service = QStringLiteral("org.freedesktop.FileManager1");
    if (bus.isConnected() && bus.interface() != nullptr &&
        bus.interface()->isServiceRegistered(service).value()) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(service, QStringLiteral("/org/freedesktop/FileManager1"),
                                           service, QStringLiteral("ShowItems"));
        call << QStringList{QUrl::fromLocalFile(file).toString()} << QString();
        if (bus.call(call).type() == QDBusMessage::ReplyMessage) {
            return;
        }
    }
    OpenLocal(QFileInfo(file).absolutePath());
}

void CQtShell::OpenFolder(const std::string& folder) {
    OpenLocal(QString::fromStdString(folder));
}

void CQtShell::OpenWithDefault(const std::string& path) {
    OpenLocal(QString::fromStdString(path));
}

void CQtShell::OpenUrl(const std::string& url) {
    if (!QDesktopServices::openUrl(QUrl(QString::fromStdString(url)))) {
        throw my::CException(IDS_OPEN_FAILED, url);
    }
}

} // namespace mrv
