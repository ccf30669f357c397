// The page's side of the push bridge, for a page that imports its modules (a Vite app, say).
//
//   import { Pushwren } from "@pushwren/page";
//   const { tags } = await Pushwren.call("/tags/get");
//
// The app's host (and the playground) adds its client to every page as a plain script, before the
// page's own scripts; this module hands the page that same client, so there is one set of
// pending calls and listeners however the page reaches it. Outside the app's web view there is no
// host: calls then reject with an error that says so, and listening does nothing.

function withoutHost() {
  const missing = () =>
    Promise.reject(new Error("Pushwren.call: this page is not running in the app's web view (no host added the client)"));
  return Object.freeze({
    call: missing,
    on(name, listener) {
      if (typeof listener !== "function") throw new TypeError("Pushwren.on: the listener must be a function");
      return () => {};
    },
  });
}

export const Pushwren = globalThis.Pushwren ?? withoutHost();
export default Pushwren;
