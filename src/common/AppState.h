#pragma once

// Program-wide state shared by reference between the forms.
struct AppState {
    // Set by Exit and by a successful launch of the lobby client; never cleared.
    // The monitor and the scanner stop their work once it is set.
    bool Quitting = false;
};
