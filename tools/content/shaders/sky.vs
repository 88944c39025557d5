#version 110
// Analytic daylight sky (Preetham, Shirley and Smits): the Perez distribution
// of luminance and chromaticity over the dome, scaled so that the zenith gets
// the zenith values for the sun's height and the turbidity. Worked out per
// vertex (the dome is fine enough for the broad gradients); the fragment
// stage turns the result into exposed colour. Below the horizon lies a calm
// sea that mirrors the sky, so this stage gives it the sky of the mirrored
// direction, and how much of it the water reflects: deep blue-green water
// that mirrors more of the sky the flatter it is seen (Schlick's Fresnel
// term) and a haze toward the horizon. Sky and sea meet in one colour.
// +Z is up; sunPos.xyz is the unit direction towards the sun.
uniform vec4 eyePos;
uniform vec4 sunPos;
uniform float turbidity;

varying vec3 skyYxy;  // luminance (kcd/m2) and chromaticity x, y
varying float mirror;  // 1 for the sky; below the horizon the part of the sky the sea reflects

// Perez function for (Y, x, y) at once.
vec3 Perez(float cosTheta, float gamma, float cosGamma, vec3 A, vec3 B, vec3 C, vec3 D, vec3 E) {
  return (1.0 + A * exp(B / cosTheta)) * (1.0 + C * exp(D * gamma) + E * cosGamma * cosGamma);
}

void main() {
  vec3 dir = normalize(gl_Vertex.xyz - eyePos.xyz);
  gl_Position = ftransform();

  float T = turbidity;
  vec3 A = vec3(0.1787, -0.0193, -0.0167) * T + vec3(-1.4630, -0.2592, -0.2608);
  vec3 B = vec3(-0.3554, -0.0665, -0.0950) * T + vec3(0.4275, 0.0008, 0.0092);
  vec3 C = vec3(-0.0227, -0.0004, -0.0079) * T + vec3(5.3251, 0.2125, 0.2102);
  vec3 D = vec3(0.1206, -0.0641, -0.0441) * T + vec3(-2.5771, -0.8989, -1.6537);
  vec3 E = vec3(-0.0670, -0.0033, -0.0109) * T + vec3(0.3703, 0.0452, 0.0529);

  vec3 sun = normalize(sunPos.xyz);
  float thetaS = acos(clamp(sun.z, 0.0, 1.0));
  float chi = (4.0 / 9.0 - T / 120.0) * (3.1415927 - 2.0 * thetaS);
  float Yz = (4.0453 * T - 4.9710) * tan(chi) - 0.2155 * T + 2.4192;
  vec4 t = vec4(thetaS * thetaS * thetaS, thetaS * thetaS, thetaS, 1.0);
  float xz = T * T * dot(vec4(0.00166, -0.00375, 0.00209, 0.0), t) +
             T * dot(vec4(-0.02903, 0.06377, -0.03202, 0.00394), t) +
             dot(vec4(0.11693, -0.21196, 0.06052, 0.25886), t);
  float yz = T * T * dot(vec4(0.00275, -0.00610, 0.00317, 0.0), t) +
             T * dot(vec4(-0.04214, 0.08970, -0.04153, 0.00516), t) +
             dot(vec4(0.15346, -0.26756, 0.06670, 0.26688), t);

  float grazing = 1.0 - max(-dir.z, 0.0);
  float grazing2 = grazing * grazing;
  mirror = max(grazing2 * grazing2 * grazing, exp(40.0 * min(dir.z, 0.0)));
  dir.z = abs(dir.z);
  float cosTheta = max(dir.z, 0.01);
  float cosGamma = clamp(dot(dir, sun), -1.0, 1.0);
  skyYxy = vec3(max(Yz, 0.0), xz, yz) * Perez(cosTheta, acos(cosGamma), cosGamma, A, B, C, D, E) /
           Perez(1.0, thetaS, sun.z, A, B, C, D, E);
}
