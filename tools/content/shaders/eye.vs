#version 110
// Eyeball. The model is the generated unit sphere, so a vertex's position is
// also its normal; ModelViewInverse takes eye space back to that sphere's
// space, where the iris of the texture sits on the +X axis.
uniform mat4 ModelViewInverse;

varying vec3 normalInBall;
varying vec3 toViewer;
varying vec3 toLight;

void main() {
  gl_Position = ftransform();
  gl_TexCoord[0] = gl_MultiTexCoord0;
  normalInBall = gl_Vertex.xyz;
  toViewer = (ModelViewInverse * vec4(0.0, 0.0, 0.0, 1.0)).xyz - gl_Vertex.xyz;
  // A key light above and to the left of the viewer, fixed on screen, so
  // every eye shows its highlight in the same corner.
  toLight = (ModelViewInverse * vec4(-0.45, 0.6, 0.65, 0.0)).xyz;
}
