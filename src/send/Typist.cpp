#include "send/Typist.h"

namespace torvo {

Typist::~Typist() = default;

QString Typist::doneMessage() const {
    return QStringLiteral("Enviado.");
}

bool sendKeys(Typist& typist, const QString& keys, QString* error) {
    const std::optional<std::vector<KeyAction>> actions = parseKeys(keys, error);
    if (!actions) return false;
    return typist.perform(*actions, error);
}

} // namespace torvo
