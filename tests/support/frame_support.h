// What tests of document windows share: the frame's documents, the prompts put before the
// user, and taking the frame down with every document without a question.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "frame/frame_windows.h"
#include "support/prompt_answerer.h"

// The document windows of the frame's MDI client, front to back.
inline std::vector<HWND> DocumentWindows()
{
    std::vector<HWND> out;
    for (HWND w = GetWindow(g_mdiClient, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) out.push_back(w);
    return out;
}

// Questions and warnings put before the user, also those a hidden frame held back.
inline std::vector<std::string> ShownPrompts(const PromptAnswerer& prompts)
{
    std::vector<std::string> all = prompts.shown();
    all.insert(all.end(), prompts.hiddenWarnings().begin(), prompts.hiddenWarnings().end());
    return all;
}

// Destroys every document window, asking nothing, then the frame.
inline void DestroyFrameAndDocuments()
{
    if (g_frameWindow) {
        for (HWND w = GetWindow(g_mdiClient, GW_CHILD); w; w = GetWindow(g_mdiClient, GW_CHILD))
            SendMessageA(g_mdiClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(w), 0);
    }
    DestroyMainFrame();
}
