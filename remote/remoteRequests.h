// What remote commands ask of the application shell above them: a screen change, a screen
// capture, a restart. Start-up connects these signals to the shell; until then they reach
// nothing.
#pragma once

#include <QObject>

class RemoteRequests : public QObject {
    Q_OBJECT
public:
    static RemoteRequests* getInstance();

signals:
    void goToHome();
    void goToTestScreen();
    void takePhoto();
    // The event loop is to end with this code (the shell restarts on 1337).
    void restartApplication(int exitCode);

private:
    RemoteRequests() = default;
};
