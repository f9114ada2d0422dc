#include "remoteRequests.h"

RemoteRequests* RemoteRequests::getInstance()
{
    static RemoteRequests instance;
    return &instance;
}
