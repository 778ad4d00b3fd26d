#include "SettingsWriter.h"

#include "MessageService.h"
#include "ProfileFile.h"
#include "TGlobal.h"

bool writeSettingsShowingErrors(TGlobal& global, MessageService& messages) {
    try {
        global.WriteSettings();
        return true;
    } catch (const ProfileWriteError& e) {
        messages.show(e.message(), MessageService::Icon::Error);
        return false;
    }
}
