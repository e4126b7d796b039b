// Resource of the animated picture control.
#pragma once

// The backup prompt's animation, of resource type "GIF".
#define IDR_BACKUP_ANIMATION 148
