# The bad-input cases, one for each reader of a file and each start-up failure; the fuzzers try
# the settings reader and the model loader with far more. A case is
#   name | what the game must print (a prefix of one stdout/stderr line; - for nothing) |
#   exit status (1, or 0 when the game goes on until Escape) | setup
# where setup is shell run in a copy's assets/ folder, "unset: NAMES" to take variables out of
# the game's environment, "env: NAME=VALUE ..." to add some, or "nobody: SHELL" to run the
# shell and then the game as an unprivileged user.
ROBUSTNESS_CASES=(
"settings file missing|Unable to open file settings.txt|1|rm settings.txt"
"settings file empty: the library's reason|GLFW: Invalid window size 0x0|1|: > settings.txt"
"settings file a folder|Unable to open file settings.txt|1|rm settings.txt && mkdir settings.txt"
"settings file without read permission|Unable to open file settings.txt|1|nobody: chmod 000 settings.txt"
"settings width not a number|Invalid value for setting width: \"wide\"|1|sed -i 's/^width=.*/width=wide/' settings.txt"
"no display at all|ERROR: Failed to init glfw|1|unset: DISPLAY"
"no display at all: the library's reason|GLFW: X11: The DISPLAY environment variable is missing|1|unset: DISPLAY"
"no OpenGL 4.6 core context|ERROR: Window not created|1|unset: MESA_GL_VERSION_OVERRIDE MESA_GLSL_VERSION_OVERRIDE"
"no OpenGL 4.6 core context: the library's reason|GLFW: GLX: Failed to create context|1|unset: MESA_GL_VERSION_OVERRIDE MESA_GLSL_VERSION_OVERRIDE"
"settings brightness not a number (nan)|Invalid value for setting brightness: \"nan\"|1|sed -i 's/^brightness=.*/brightness=nan/' settings.txt"
"settings brightness infinite|Invalid value for setting brightness: \"inf\"|1|sed -i 's/^brightness=.*/brightness=inf/' settings.txt"
"settings width above the largest texture|Invalid value for setting width: \"40000\"|1|sed -i 's/^width=.*/width=40000/' settings.txt"
"settings height above the largest texture|Invalid value for setting height: \"20000\"|1|sed -i 's/^height=.*/height=20000/' settings.txt"
"settings volume above full|Invalid value for setting volume: \"2\"|1|sed -i 's/^volume=.*/volume=2/' settings.txt"
"level model of garbage bytes|ERROR::ASSIMP:: |0|garbage 20000 > objects/level/lvl3_1.obj"
"brick model with NaN coordinates|ERROR::ASSIMP:: |0|sed -i 's/^v .*/v nan 1 1/' objects/brick/brickOrigin.obj"
"platform model with only degenerate triangles|ERROR::ASSIMP:: |0|printf 'v 1 1 1\nv 1 1 1\nv 2 2 2\nf 1 2 3\n' > objects/plattform/plattformOrigin.obj"
"lamp model missing|ERROR::ASSIMP:: |0|rm objects/lamp/bos.obj"
"spikes model empty|ERROR::ASSIMP:: |0|: > objects/spikes/spikes.obj"
"gem model truncated|ERROR::ASSIMP:: |0|head -n 5 objects/diamond/diamant.obj > t && printf 'f 1 2 77\n' >> t && mv t objects/diamond/diamant.obj"
"statue model of garbage bytes|ERROR::ASSIMP:: |0|garbage 20000 > objects/statue/statue.obj"
"waves model missing|ERROR::ASSIMP:: |0|rm objects/waves/waves.obj"
"speech model with NaN coordinates|ERROR::ASSIMP:: |0|sed -i 's/^v .*/v 1 nan 1/' objects/speech/speech.obj"
"material texture missing|Texture failed to load at path: |0|rm objects/brick/*diffuse*.png"
"material texture 16-bit|-|0|for f in objects/brick/*diffuse*.png; do convert \"\$f\" -depth 16 \"png48:\$f\"; done"
"sky face missing|Cubemap texture failed to load at path: ../assets/textures/skybox/top.png|0|rm textures/skybox/top.png"
"sky face of another size|Cubemap texture failed to load at path: ../assets/textures/skybox/left.png|0|convert textures/skybox/left.png -resize 64x64! textures/skybox/left.png"
"font missing|ERROR::FREETYPE: Failed to load font|0|rm fonts/Itim-Regular.ttf"
"shader file missing|ERROR::SHADER::FILE_NOT_SUCCESFULLY_READ: |0|rm shaders/fShader_wave.txt"
"shader failing to compile|ERROR::SHADER_COMPILATION_ERROR of type: FRAGMENT|0|printf '#version 460 core\nvoid main() { this is not glsl }\n' > shaders/fblur.txt"
"no sound device|Sound is off: no sound device could be opened|0|env: ALSOFT_DRIVERS=none"
"sound file missing|Sound failed to load at path: ../assets/sounds/jump.wav|0|rm sounds/jump.wav"
"sound file of garbage bytes|Sound failed to load at path: ../assets/sounds/hum.wav|0|garbage 4000 > sounds/hum.wav"
)
