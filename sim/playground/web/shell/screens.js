// Native screens presented from this tab's runner, drawn from the headless UI's state as the
// host reports it: each screen's views (labels, buttons, spinner, table of switches) and the
// alert over it. Clicks become the screen steps: tap, tapAlert and switch.

function element(tag, className, text) {
  const made = document.createElement(tag);
  if (className) made.className = className;
  if (text !== undefined && text !== null) made.textContent = text;
  return made;
}

export class NativeScreens {
  #area;
  #step;
  #shown = "[]";

  // `step` applies a scenario step (the panel's).
  constructor(area, step) {
    this.#area = area;
    this.#step = step;
  }

  show(screens) {
    const text = JSON.stringify(screens);
    if (text === this.#shown) return;
    this.#shown = text;
    const scrolls = [...this.#area.querySelectorAll(".sheet-body")].map((body) => body.scrollTop);
    // A redraw after a switch's step must not drop the keyboard user out of the list.
    const focused = this.#area.contains(document.activeElement) ? document.activeElement.dataset.focusKey : undefined;
    this.#area.replaceChildren(...screens.map((screen) => this.#screen(screen)));
    this.#area.querySelectorAll(".sheet-body").forEach((body, i) => (body.scrollTop = scrolls[i] ?? 0));
    if (focused) [...this.#area.querySelectorAll("[data-focus-key]")].findLast((e) => e.dataset.focusKey === focused)?.focus();
    this.#area.classList.toggle("showing", screens.length > 0);
  }

  #screen(screen) {
    const root = element("div", "native-screen");
    root.dataset.className = screen.className;
    const sheet = element("div", "sheet");
    sheet.setAttribute("role", "dialog");
    sheet.setAttribute("aria-modal", "true");
    const heading = screen.views.find((view) => view.class === "UILabel" && !view.hidden);
    sheet.setAttribute("aria-label", heading?.text || "Screen");
    const header = element("div", "sheet-header");
    const body = element("div", "sheet-body");
    for (const view of screen.views) {
      if (view.hidden) continue;
      const drawn = this.#view(view);
      if (view.class === "UILabel" || view.class === "UIButton") header.append(drawn);
      else body.append(drawn);
    }
    sheet.append(header, body);
    root.append(sheet);
    if (screen.alert) root.append(this.#alert(screen.alert));
    return root;
  }

  #view(view) {
    switch (view.class) {
      case "UILabel":
        return element("div", "ui-label", view.text);
      case "UIButton": {
        const button = element("button", "ui-button", view.title);
        button.type = "button";
        button.dataset.identifier = view.identifier;
        button.dataset.focusKey = `button ${view.identifier}`;
        button.addEventListener("click", () => this.#step({ do: "tap", button: view.identifier }));
        return button;
      }
      case "UIActivityIndicatorView": {
        const spinner = element("div", view.animating ? "ui-spinner" : "ui-spinner stopped");
        spinner.setAttribute("role", "progressbar");
        spinner.setAttribute("aria-label", "Loading");
        return spinner;
      }
      case "UITableView":
        return this.#table(view);
      case "UISwitch": {
        const toggle = element("input", "ui-switch");
        toggle.type = "checkbox";
        toggle.setAttribute("role", "switch");
        toggle.checked = view.on;
        toggle.disabled = true;
        return toggle;
      }
      default: {
        const container = element("div", "ui-view");
        for (const child of view.views ?? []) if (!child.hidden) container.append(this.#view(child));
        return container;
      }
    }
  }

  #table(table) {
    const drawn = element("div", "ui-table");
    table.sections.forEach((section, sectionIndex) => {
      const group = element("section", "ui-table-section");
      if (section.title !== null) group.append(element("h4", "ui-table-heading", section.title));
      const rows = element("ul", "ui-table-rows");
      section.rows.forEach((row, rowIndex) => {
        const item = element("li", "ui-table-row");
        const label = element("label");
        label.append(element("span", "ui-row-label", row.label ?? ""));
        if (row.on !== null) {
          const toggle = element("input", "ui-switch");
          toggle.type = "checkbox";
          toggle.setAttribute("role", "switch");
          toggle.dataset.focusKey = `switch ${sectionIndex} ${rowIndex}`;
          toggle.checked = row.on;
          toggle.addEventListener("change", () =>
            this.#step({ do: "switch", section: sectionIndex, row: rowIndex, on: toggle.checked }),
          );
          label.append(toggle);
        }
        item.append(label);
        rows.append(item);
      });
      group.append(rows);
      drawn.append(group);
    });
    return drawn;
  }

  #alert(alert) {
    const backdrop = element("div", "alert-backdrop");
    const box = element("div", "alert");
    box.setAttribute("role", "alertdialog");
    box.setAttribute("aria-label", alert.title ?? alert.message ?? "Alert");
    if (alert.title !== null) box.append(element("h4", "alert-title", alert.title));
    if (alert.message !== null) box.append(element("p", "alert-message", alert.message));
    const buttons = element("div", "alert-buttons");
    for (const title of alert.buttons) {
      const button = element("button", "alert-button", title);
      button.type = "button";
      button.addEventListener("click", () => this.#step({ do: "tapAlert", button: title }));
      buttons.append(button);
    }
    box.append(buttons);
    backdrop.append(box);
    return backdrop;
  }
}
