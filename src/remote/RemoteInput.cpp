#include "remote/RemoteInput.h"

#include <QMetaObject>

namespace kazoon {

RemoteInput::RemoteInput() = default;
RemoteInput::~RemoteInput() = default;

void RemoteInput::post(const QByteArray &message)
{
    const unsigned generation = generation_.load();
    QMetaObject::invokeMethod(
        &context_,
        [this, message, generation] {
            if (generation == generation_.load() && receiver_)
                receiver_(message);
        },
        Qt::QueuedConnection);
}

} // namespace kazoon
