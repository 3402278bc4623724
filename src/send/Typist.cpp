#include "send/Typist.h"

namespace torvo {

Typist::~Typist() = default;

QString Typist::doneMessage() const {
    return QStringLiteral("Enviado.");
}

Result<void> sendKeys(Typist& typist, const QString& keys) {
    const Result<std::vector<KeyAction>> actions = parseKeys(keys);
    if (!actions) return actions.failure();
    return typist.perform(*actions);
}

} // namespace torvo
