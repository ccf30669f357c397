// A small site of its own, not the demo: it follows authors with a tag, lists the stories a
// notification opened, and reports what it does on its console.
const $ = (id) => document.getElementById(id);

Pushwren.on("info", (info) => {
  $("status").textContent = info.subscription.optedIn ? "Notifications on" : "Notifications off";
});

Pushwren.on("pushOpened", (data) => {
  const item = document.createElement("li");
  item.textContent = `Story ${data.story}`;
  $("opened").append(item);
  history.pushState({}, "", `/stories/${data.story}`);
});

$("follow").addEventListener("click", async () => {
  const answer = await Pushwren.call("/tags/set", { tags: { authors: "followed" } });
  console.info("follow", answer.success ? "saved" : "refused");
  $("follow").textContent = "Following";
});
