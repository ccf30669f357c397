// A single-page app's router: routes are history entries; the page never loads again.
const show = () => {
  document.getElementById("route").textContent = location.pathname + location.search + location.hash;
};
window.addEventListener("popstate", show);
window.addEventListener("hashchange", show);
window.go = (path) => {
  history.pushState({}, "", path);
  show();
};
show();
