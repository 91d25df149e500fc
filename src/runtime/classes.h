// Window classes the runtime registers for forms, pictures and frames, for
// tests and tools that look for the tool's own windows.
#pragma once

#define VISTREL_FORM_CLASS L"VistrelForm"
#define VISTREL_PICTURE_CLASS L"VistrelPicture"
#define VISTREL_FRAME_CLASS L"VistrelFrame"
