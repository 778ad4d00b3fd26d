#pragma once

class TGlobal;
class MessageService;

// Writes the settings file as a user action asks for it; a failed write shows
// its "Unable to write to ..." message and returns false.
bool writeSettingsShowingErrors(TGlobal& global, MessageService& messages);
