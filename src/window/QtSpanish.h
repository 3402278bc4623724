#pragma once

class QCoreApplication;

namespace torvo {

// Makes Qt's own texts Spanish: installs its translation (qtbase_es: file dialogs, the
// text views' context menus, standard buttons) into app with the file type names it
// lacks, and makes Spanish the default locale. False when the translation is not
// installed; Qt then speaks English.
bool installQtSpanish(QCoreApplication& app);

} // namespace torvo
