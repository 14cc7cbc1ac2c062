// Keeps the library non-empty while its dialogs are being written.
