// The DirectX generation installed, found by loading the DirectX component
// libraries from the system folder and looking at their exports. Detected
// once per process; later calls return the first answer.
#pragma once

// 0 (none), 1, 2, 3, 5, 6, 7, 8 or 9.
int DetectDirectXVersion();
