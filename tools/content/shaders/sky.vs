#version 110
// Placeholder daylight sky (the world's own sky program replaces it): the
// dome is drawn around the eye, so a vertex's position is its view direction.
uniform vec4 eyePos;

varying vec3 direction;

void main() {
  gl_Position = ftransform();
  direction = gl_Vertex.xyz - eyePos.xyz;
}
