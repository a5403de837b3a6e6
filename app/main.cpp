// The desktop program: splash, then the main window.
#include <QApplication>
#include <QCommandLineParser>
#include <QLibraryInfo>
#include <QLocale>
#include <QSocketNotifier>
#include <QTranslator>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <future>
#include <unistd.h>

#include "app/CMainFrame.h"
#include "app/CSplashWindow.h"
#include "app/LoggerSimLauncher.h"
#include "core/DiagLog.h"
#include "link/platform/PortDiscovery.h"
#include "store/ledger/LedgerLocation.h"
#include "store/platform/GeocodingClient.h"
#include "store/platform/SettingsFile.h"
#include "store/platform/SettingsLocation.h"

namespace {

bool CheckOnline(const ml::ServiceSettings& services) { return ml::SetUpGeocoder(services).online; }

// Loggers come on USB serial adapters (ttyUSB, ttyACM); a built-in UART
// alone does not count, or most desktops would never get the simulator.
bool LoggerCouldBeAttached() {
    for (const ml::PortEntry& entry : ml::EnumerateSerialPorts()) {
        const QString name = QString::fromStdString(entry.portName);
        if (name.startsWith(QStringLiteral("ttyUSB")) || name.startsWith(QStringLiteral("ttyACM"))) return true;
    }
    return false;
}

// Ends the event loop on SIGTERM and SIGINT, so that the simulator and
// the download worker are stopped the normal way.
void QuitOnSignals() {
    static int pipeFds[2] = {-1, -1};
    if (::pipe(pipeFds) != 0) return;
    auto* notifier = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] { QApplication::quit(); });
    struct sigaction action {};
    action.sa_handler = [](int) {
        const char byte = 1;
        [[maybe_unused]] const auto written = ::write(pipeFds[1], &byte, 1);
    };
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

// Qt's own texts (standard buttons, the file and print dialogs, the page
// views' menus) in the user's language, from the translations Debian ships
// in qt6-translations-l10n; without them they stay English.
void InstallQtTranslations(QApplication& app) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const QString& catalogue : {QStringLiteral("qt"), QStringLiteral("qtwebengine")}) {
        auto* translator = new QTranslator(&app);
        if (translator->load(QLocale(), catalogue, QStringLiteral("_"), folder)) {
            QApplication::installTranslator(translator);
        } else {
            delete translator;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    // The map and the report pages share one graphics context.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // QApplication applies the user's locale to the C library; numbers in
    // files, requests and page statements keep the C conventions (only the
    // widgets show the user's locale).
    std::setlocale(LC_NUMERIC, "C");
    InstallQtTranslations(app);
    QuitOnSignals();
    QApplication::setApplicationName(QStringLiteral("MileLedger"));
    QApplication::setApplicationVersion(QStringLiteral(ML_VERSION));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/mileledger/icon.svg")));
    // Ties the windows to the menu entry (res/mileledger.desktop) for the task bar.
    QApplication::setDesktopFileName(QStringLiteral("mileledger"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("MileLedger: trips of a company car from its GNSS data logger"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption settingsOption(QStringLiteral("settings"), QStringLiteral("Use this Setting.ini."),
                                            QStringLiteral("PATH"));
    const QCommandLineOption verboseOption(QStringLiteral("verbose"), QStringLiteral("Diagnostic log on stderr."));
    const QCommandLineOption simOption(
        QStringLiteral("simulator"), QStringLiteral("Start the logger simulator (mtk or phlx) even when ports exist."),
        QStringLiteral("KIND"));
    const QCommandLineOption noSimOption(QStringLiteral("no-simulator"),
                                         QStringLiteral("Never start the logger simulator."));
    const QCommandLineOption noSplashOption(QStringLiteral("no-splash"), QStringLiteral("Skip the start-up picture."));
    const QCommandLineOption ledgerOption(QStringLiteral("ledger"),
                                          QStringLiteral("Keep the year ledger in this file or company database."),
                                          QStringLiteral("PATH|URL"));
    parser.addOptions({settingsOption, verboseOption, simOption, noSimOption, noSplashOption, ledgerOption});
    parser.process(app);

    if (parser.isSet(verboseOption) || qEnvironmentVariable("MILELEDGER_DEBUG") == QStringLiteral("1")) {
        ml::SetDiagSink([](std::string_view line) { std::fwrite(line.data(), 1, line.size(), stderr); });
    }

    ml::FrameOptions options;
    options.settingsPath = ml::SettingsPath(parser.value(settingsOption).toStdString());

    // The connectivity check runs while the splash is up; both are bounded.
    const ml::ServiceSettings services = ml::LoadSettings(options.settingsPath).services;
    // --ledger, MILELEDGER_LEDGER, LEDGER_URL of the settings, the ledger file.
    options.ledgerPath = ml::ledger::LedgerPath(parser.value(ledgerOption).toStdString(), services.ledgerUrl);
    std::future<bool> online = std::async(std::launch::async, [services] { return CheckOnline(services); });

    // With no logger attached, a simulated one makes the first read-log work.
    ml::LoggerSimLauncher simulator;
    const bool wantSim = parser.isSet(simOption) || (!parser.isSet(noSimOption) && !LoggerCouldBeAttached());
    if (wantSim) {
        const QString program = ml::LoggerSimLauncher::FindSimulator(QApplication::applicationDirPath());
        QString error;
        const QString kind = parser.isSet(simOption) ? parser.value(simOption) : QStringLiteral("mtk");
        const QString port = program.isEmpty() ? QString() : simulator.Start(program, kind, 5000, error);
        if (!port.isEmpty()) {
            options.extraPorts.push_back(port.toStdString());
            options.preferredPort = port.toStdString();
            options.simulatorPort = port.toStdString();
            ml::DiagPrintf("simulated logger on %s\n", port.toUtf8().constData());
        } else {
            ml::DiagPrintf("no logger simulator: %s\n", error.isEmpty() ? "not found" : error.toUtf8().constData());
        }
    }

    if (!parser.isSet(noSplashOption)) ml::ShowSplash();
    options.online = online.get();
    ml::CMainFrame frame(options);
    frame.show();
    return app.exec();
}
