// The constellation engine behind the context property "measuresIQ": a worker thread that
// locks digital channels and reports their figures through s_send_dades_iq. This build
// holds its interface only: the thread idles and the calls are accepted.
#pragma once

#include <QMutex>
#include <QThread>
#include <QVariantMap>
#include <QWaitCondition>

class MesuraIQ : public QThread {
    Q_OBJECT
public:
    static MesuraIQ* getInstance();
    ~MesuraIQ() override;

    Q_INVOKABLE void aturar();
    Q_INVOKABLE void restatMesureIQ();
    Q_INVOKABLE int initManual(unsigned int freq, int sistema, int sr);

signals:
    void s_send_dades_iq(QVariantMap m_dades_iq);

protected:
    void run() override;

private:
    explicit MesuraIQ(QObject* parent = nullptr);

    QMutex mutex_;
    QWaitCondition wake_;
};
