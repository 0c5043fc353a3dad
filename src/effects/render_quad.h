// The full-screen quad shared by the blur and composite passes.
#pragma once

namespace effects {

// Draws the quad (created on first call, kept for the run) with whatever program and framebuffer
// are current. Location 0 is the position, location 1 the texture coordinates.
void renderQuad();

}  // namespace effects
