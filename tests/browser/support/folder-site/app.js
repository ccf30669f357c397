// The folder site's own script: records the host's info calls.
window.infoCalls = [];
window.corvane_onesignal_info = (info) => window.infoCalls.push(info);
