// The phone's screen size: a common phone's or a tablet's, or fitting the window. Each tab keeps
// its own across reloads, as it keeps its device.

const REMEMBERED = "pushwren.screen";

export function wireScreenSize(phone, choice) {
  const apply = (value) => {
    const size = /^(\d+)x(\d+)$/.exec(value);
    phone.classList.toggle("sized", Boolean(size));
    if (size) {
      phone.style.setProperty("--screen-width", `${size[1]}px`);
      phone.style.setProperty("--screen-height", `${size[2]}px`);
    }
  };
  const remembered = sessionStorage.getItem(REMEMBERED);
  if (remembered && [...choice.options].some((option) => option.value === remembered)) choice.value = remembered;
  apply(choice.value);
  choice.addEventListener("change", () => {
    sessionStorage.setItem(REMEMBERED, choice.value);
    apply(choice.value);
  });
}
