# Runs the LibreOffice SDK's code generator; filled in with the backend.
