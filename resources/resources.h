#pragma once

// Registers the embedded images and style sheets; safe to call more than once.
void initQuillmateResources();
