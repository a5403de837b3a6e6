// The desktop program: splash, then the main window.
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>
#include <future>

#include "app/CMainFrame.h"
#include "app/CSplashWindow.h"
#include "app/LoggerSimLauncher.h"
#include "core/DiagLog.h"
#include "link/platform/PortDiscovery.h"
#include "store/platform/GeocodingClient.h"
#include "store/platform/SettingsFile.h"
#include "store/platform/SettingsLocation.h"

namespace {

bool CheckOnline(const ml::ServiceSettings& services) {
    ml::GeocodingConfig config;
    config.baseUrl = services.geocodingBaseUrl;
    config.key = services.geocodingKey;
    config.connectivityCheckUrl = services.connectivityCheckUrl;
    ml::GeocodingClient client(config);
    return client.OpenInternet() && client.CheckConnectivity();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("MileLedger"));
    QApplication::setApplicationVersion(QStringLiteral("0.1.0"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/mileledger/icon.svg")));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("MileLedger: trips of a company car from its GNSS data logger"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption settingsOption(QStringLiteral("settings"), QStringLiteral("Use this Setting.ini."),
                                            QStringLiteral("PATH"));
    const QCommandLineOption verboseOption(QStringLiteral("verbose"), QStringLiteral("Diagnostic log on stderr."));
    const QCommandLineOption simOption(QStringLiteral("simulator"),
                                       QStringLiteral("Start the logger simulator (mtk or phlx) even when ports exist."),
                                       QStringLiteral("KIND"));
    const QCommandLineOption noSimOption(QStringLiteral("no-simulator"), QStringLiteral("Never start the logger simulator."));
    const QCommandLineOption noSplashOption(QStringLiteral("no-splash"), QStringLiteral("Skip the start-up picture."));
    parser.addOptions({settingsOption, verboseOption, simOption, noSimOption, noSplashOption});
    parser.process(app);

    if (parser.isSet(verboseOption) || qEnvironmentVariable("MILELEDGER_DEBUG") == QStringLiteral("1")) {
        ml::SetDiagSink([](std::string_view line) { std::fwrite(line.data(), 1, line.size(), stderr); });
    }

    ml::FrameOptions options;
    options.settingsPath = ml::SettingsPath(parser.value(settingsOption).toStdString());

    // The connectivity check runs while the splash is up; both are bounded.
    const ml::ServiceSettings services = ml::LoadSettings(options.settingsPath).services;
    std::future<bool> online = std::async(std::launch::async, [services] { return CheckOnline(services); });

    // With no logger attached, a simulated one makes the first read-log work.
    ml::LoggerSimLauncher simulator;
    const bool wantSim = parser.isSet(simOption) ||
                         (!parser.isSet(noSimOption) && ml::EnumerateSerialPorts().empty());
    if (wantSim) {
        const QString program = ml::LoggerSimLauncher::FindSimulator(QApplication::applicationDirPath());
        QString error;
        const QString kind = parser.isSet(simOption) ? parser.value(simOption) : QStringLiteral("mtk");
        const QString port = program.isEmpty() ? QString() : simulator.Start(program, kind, 5000, error);
        if (!port.isEmpty()) {
            options.extraPorts.push_back(port.toStdString());
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
