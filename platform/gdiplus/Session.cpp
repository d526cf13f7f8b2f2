#include "platform/gdiplus/Session.h"

#include <QThread>
#include <atomic>
#include <map>
#include <mutex>

namespace gdiplus {
namespace {

struct Sessions {
    std::mutex lock;
    Token next = 1;
    std::map<Token, Qt::HANDLE> owners;  // live token -> the thread that started it
};

Sessions& sessions()
{
    static Sessions instance;
    return instance;
}

std::atomic<bool> libraryAvailable{true};

}  // namespace

Status GdiplusStartup(Token& token, const GdiplusStartupInput& input)
{
    token = 0;
    if (!available())
        return GenericError;
    if (input.GdiplusVersion != 1)
        return InvalidParameter;
    Sessions& all = sessions();
    std::lock_guard guard(all.lock);
    token = all.next++;
    all.owners.emplace(token, QThread::currentThreadId());
    return Ok;
}

void GdiplusShutdown(Token token)
{
    Sessions& all = sessions();
    std::lock_guard guard(all.lock);
    all.owners.erase(token);
}

bool sessionActive()
{
    Sessions& all = sessions();
    std::lock_guard guard(all.lock);
    const Qt::HANDLE self = QThread::currentThreadId();
    for (const auto& [token, owner] : all.owners)
        if (owner == self)
            return true;
    return false;
}

void setAvailable(bool value)
{
    libraryAvailable = value;
}

bool available()
{
    return libraryAvailable;
}

}  // namespace gdiplus
