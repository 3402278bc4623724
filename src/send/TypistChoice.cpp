#include "send/TypistChoice.h"

namespace torvo {

Result<std::unique_ptr<Typist>> chooseTypist(const std::vector<RouteProbe>& inOrder, bool waylandSession) {
    QString broken;
    bool otherWindow = false;
    for (const RouteProbe& probe : inOrder) {
        Route r = probe();
        if (r.outcome == Route::Ready && r.typist) return std::move(r.typist);
        // Keys typed into the editor itself would become art: the user did not bring the
        // chat to the front in time.
        if (r.outcome == Route::OwnWindow)
            return Failure{QStringLiteral("Envío: la ventana enfocada es Torvo; no se envió nada.")};
        if (r.outcome == Route::Broken && broken.isEmpty()) broken = r.error;
        otherWindow |= r.outcome == Route::OtherWindow;
    }
    if (!broken.isEmpty()) return Failure{broken};
    if (waylandSession)
        return Failure{QStringLiteral("No se puede enviar: la ventana activa es de Wayland y este escritorio "
                                      "no deja escribir en ella.")};
    if (otherWindow)
        return Failure{QStringLiteral("No se puede enviar: ninguna ventana tiene el foco del teclado.")};
    return Failure{QStringLiteral("No se puede enviar: esta sesión no tiene una pantalla donde escribir.")};
}

bool isWaylandSession() {
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
}

} // namespace torvo
